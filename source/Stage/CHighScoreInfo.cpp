#include "Stage/CHighScoreInfo.h"

#include "base/serialization/Serializer.h"

void CHighScoreInfo::describe(serialization::Serializer& serializer) {
    serializer.describe(score);
    serializer.describe(sent);
}

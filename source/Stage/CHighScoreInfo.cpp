#include "Stage/CHighScoreInfo.h"

#include "util/serialization/Serializer.h"

void CHighScoreInfo::describe(serialization::Serializer& serializer) {
    serializer.describe(score);
    serializer.describe(sent);
}

// The archive itself: the input's first bytes choose a sequence of fields (ints, bools, strings, arrays,
// tracked and plain class references, moves), the rest is the archive they are read from. Whatever reads
// whole must be written and read again to the same values.
#include "FuzzCheck.h"

#include "GameMain/GameRecords.h"
#include "base/CException.h"
#include "base/serialization/Serializer.h"

#include <memory>
#include <variant>
#include <vector>

using serialization::Serializer;
using serialization::Tracking;

namespace {

using Field = std::variant<std::int32_t, bool, std::string, std::vector<std::int32_t>, std::vector<bool>,
                           std::shared_ptr<COptionInfo>, std::shared_ptr<CHighScoreInfo>>;

constexpr std::size_t kMaxFields = 12;

// Describes every field in order; a class reference is tracked when `tracked` says so.
void describeAll(Serializer& s, std::vector<Field>& fields, const std::vector<bool>& tracked) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const Tracking tracking = tracked[i] ? Tracking::On : Tracking::Off;
        std::visit(
            [&](auto& value) {
                using T = std::decay_t<decltype(value)>;
                if constexpr (std::is_same_v<T, std::shared_ptr<COptionInfo>> ||
                              std::is_same_v<T, std::shared_ptr<CHighScoreInfo>>) {
                    s.describe(value, tracking);
                } else {
                    s.describe(value);
                }
            },
            fields[i]);
    }
}

bool sameValues(const std::vector<Field>& a, const std::vector<Field>& b) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].index() != b[i].index()) {
            return false;
        }
        if (const auto* option = std::get_if<std::shared_ptr<COptionInfo>>(&a[i])) {
            if ((*option)->buttons != std::get<std::shared_ptr<COptionInfo>>(b[i])->buttons) {
                return false;
            }
        } else if (const auto* score = std::get_if<std::shared_ptr<CHighScoreInfo>>(&a[i])) {
            if (!(**score == *std::get<std::shared_ptr<CHighScoreInfo>>(b[i]))) {
                return false;
            }
        } else if (a[i] != b[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fRegisterOptionInfo();
    fRegisterHighScoreInfo();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // First byte: how many fields; one byte each: the kind (low 3 bits) and tracking (bit 3).
    const std::size_t count = std::min<std::size_t>(data[0] % (kMaxFields + 1), size - 1);
    std::vector<Field> fields;
    std::vector<bool> tracked;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t op = data[1 + i];
        tracked.push_back((op & 8) == 0);
        switch (op % 8) {
        case 0:
            fields.emplace_back(std::int32_t{0});
            break;
        case 1:
            fields.emplace_back(false);
            break;
        case 2:
            fields.emplace_back(std::string());
            break;
        case 3:
            fields.emplace_back(std::vector<std::int32_t>());
            break;
        case 4:
            fields.emplace_back(std::vector<bool>());
            break;
        case 5:
            fields.emplace_back(std::shared_ptr<COptionInfo>());
            break;
        default:
            fields.emplace_back(std::shared_ptr<CHighScoreInfo>());
            break;
        }
    }
    const std::span<const std::byte> archive = fuzzBytes(data + 1 + count, size - 1 - count);
    std::vector<Field> read = fields;
    try {
        Serializer in = Serializer::reading(archive, "fuzz");
        describeAll(in, read, tracked);
        FUZZ_CHECK(in.position() >= 0);
        if (in.reachedEnd()) {
            return 0;
        }
    } catch (const CException&) {
        return 0;
    }
    std::vector<std::byte> written;
    {
        Serializer out = Serializer::writing(written, "fuzz");
        describeAll(out, read, tracked);
    }
    std::vector<Field> again = fields;
    Serializer in = Serializer::reading(written, "fuzz");
    describeAll(in, again, tracked);
    FUZZ_CHECK(!in.reachedEnd());
    FUZZ_CHECK(in.position() == static_cast<std::int64_t>(written.size()));
    FUZZ_CHECK(sameValues(read, again));
    return 0;
}

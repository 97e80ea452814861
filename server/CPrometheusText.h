// Prometheus' text exposition format (version 0.0.4), written by hand: one HELP and one TYPE line per
// family, then its samples, label values escaped (backslash, double quote, newline) and numbers in a form
// the scraper reads back exactly.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CPrometheusText {
public:
    using SLabels = std::vector<std::pair<std::string_view, std::string_view>>;

    // Starts a family: `type` is "counter", "gauge" or "histogram".
    void fFamily(std::string_view name, std::string_view help, std::string_view type);
    void fSample(std::string_view name, const SLabels& labels, double value);
    void fSample(std::string_view name, const SLabels& labels, std::uint64_t value);
    // A histogram's samples: `bounds` ascending, `cumulative` one more than `bounds` (the last is +Inf).
    void fHistogram(std::string_view name, const std::vector<double>& bounds,
                    const std::vector<std::uint64_t>& cumulative, double sum);

    const std::string& fText() const { return mText; }

    static std::string fEscapeLabelValue(std::string_view value);
    static std::string fEscapeHelp(std::string_view help);
    // Shortest text that reads back as the same double; "+Inf", "-Inf" and "NaN" as the format spells them.
    static std::string fNumber(double value);

private:
    void fLabels(const SLabels& labels);

    std::string mText;
};

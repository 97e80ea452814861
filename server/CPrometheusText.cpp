#include "CPrometheusText.h"

#include <charconv>
#include <cmath>

void CPrometheusText::fFamily(std::string_view name, std::string_view help, std::string_view type) {
    mText.append("# HELP ").append(name).append(" ").append(fEscapeHelp(help)).append("\n");
    mText.append("# TYPE ").append(name).append(" ").append(type).append("\n");
}

void CPrometheusText::fLabels(const SLabels& labels) {
    if (labels.empty()) {
        return;
    }
    mText += '{';
    for (std::size_t i = 0; i < labels.size(); ++i) {
        if (i > 0) {
            mText += ',';
        }
        mText.append(labels[i].first).append("=\"").append(fEscapeLabelValue(labels[i].second)).append("\"");
    }
    mText += '}';
}

void CPrometheusText::fSample(std::string_view name, const SLabels& labels, double value) {
    mText.append(name);
    fLabels(labels);
    mText.append(" ").append(fNumber(value)).append("\n");
}

void CPrometheusText::fSample(std::string_view name, const SLabels& labels, std::uint64_t value) {
    mText.append(name);
    fLabels(labels);
    mText.append(" ").append(std::to_string(value)).append("\n");
}

void CPrometheusText::fHistogram(std::string_view name, const std::vector<double>& bounds,
                                 const std::vector<std::uint64_t>& cumulative, double sum) {
    const std::string bucket = std::string(name) + "_bucket";
    for (std::size_t i = 0; i < cumulative.size(); ++i) {
        const std::string le = i < bounds.size() ? fNumber(bounds[i]) : "+Inf";
        fSample(bucket, {{"le", le}}, cumulative[i]);
    }
    fSample(std::string(name) + "_sum", {}, sum);
    fSample(std::string(name) + "_count", {}, cumulative.empty() ? 0 : cumulative.back());
}

std::string CPrometheusText::fEscapeLabelValue(std::string_view value) {
    std::string out;
    for (const char c : value) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '"') {
            out += "\\\"";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::string CPrometheusText::fEscapeHelp(std::string_view help) {
    std::string out;
    for (const char c : help) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::string CPrometheusText::fNumber(double value) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value > 0 ? "+Inf" : "-Inf";
    }
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc() ? std::string(text, end) : std::string("NaN");
}

#include "app/serve/exposition_format.hpp"

#include <charconv>
#include <cmath>
#include <ostream>
#include <streambuf>

#include <prometheus/text_serializer.h>

#include "app/serve/header_values.hpp"

namespace vantric {

namespace {

// The weight of a media range's "q" parameter: 1 when absent, 0 when it does not read.
double weight(std::string_view parameters) {
    while (!parameters.empty()) {
        const std::string_view parameter = nextItem(parameters, ';');
        const auto equals = parameter.find('=');
        if (equals != std::string_view::npos &&
            sameLetters(trimmed(parameter.substr(0, equals)), "q")) {
            const std::string_view value = trimmed(parameter.substr(equals + 1));
            double q = 0;
            const auto [stop, error] =
                std::from_chars(value.data(), value.data() + value.size(), q);
            return error == std::errc{} && stop == value.data() + value.size() && q >= 0 && q <= 1
                       ? q
                       : 0;
        }
    }
    return 1;
}

void writeValue(std::string& out, double value) {
    if (std::isnan(value)) {
        out += "NaN";
    } else if (std::isinf(value)) {
        out += value > 0 ? "+Inf" : "-Inf";
    } else {
        char digits[32];
        const auto [end, error] = std::to_chars(std::begin(digits), std::end(digits), value);
        out.append(digits, error == std::errc{} ? end : digits);
    }
}

// OpenMetrics escapes the same three characters in label values and in help texts.
void writeEscaped(std::string& out, std::string_view text) {
    for (const char letter : text) {
        switch (letter) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        default: out += letter;
        }
    }
}

// An output stream's buffer that appends to a string, room for a scrape reserved up front:
// the library writes the text format piece by piece, and a string stream's buffer grows by
// copying.
class StringOutput : public std::streambuf {
public:
    StringOutput() { text_.reserve(std::size_t{64} * 1024); }
    std::string text() && { return std::move(text_); }

protected:
    std::streamsize xsputn(const char* characters, std::streamsize count) override {
        text_.append(characters, static_cast<std::size_t>(count));
        return count;
    }
    int_type overflow(int_type character) override {
        if (!traits_type::eq_int_type(character, traits_type::eof())) {
            text_ += traits_type::to_char_type(character);
        }
        return traits_type::not_eof(character);
    }

private:
    std::string text_;
};

std::string openMetricsText(const std::vector<prometheus::MetricFamily>& families) {
    std::string out;
    for (const prometheus::MetricFamily& family : families) {
        const bool counter = family.type == prometheus::MetricType::Counter;
        // An OpenMetrics counter's family is named without the "_total" its samples carry.
        std::string_view name = family.name;
        if (counter && name.ends_with("_total")) {
            name.remove_suffix(std::string_view("_total").size());
        }
        out.append("# TYPE ").append(name).append(counter ? " counter\n" : " gauge\n");
        out.append("# HELP ").append(name).append(" ");
        writeEscaped(out, family.help);
        out += '\n';
        for (const prometheus::ClientMetric& metric : family.metric) {
            out.append(name).append(counter ? "_total" : "");
            if (!metric.label.empty()) {
                out += '{';
                for (std::size_t index = 0; index < metric.label.size(); ++index) {
                    out.append(index == 0 ? "" : ",")
                        .append(metric.label[index].name)
                        .append("=\"");
                    writeEscaped(out, metric.label[index].value);
                    out += '"';
                }
                out += '}';
            }
            out += ' ';
            writeValue(out, counter ? metric.counter.value : metric.gauge.value);
            out += '\n';
        }
    }
    out += "# EOF\n";
    return out;
}

}  // namespace

ExpositionFormat acceptedFormat(std::string_view accept) {
    double openMetrics = 0;
    double text = 0;
    while (!accept.empty()) {
        const std::string_view range = nextItem(accept, ',');
        const auto semicolon = range.find(';');
        const std::string_view type = trimmed(range.substr(0, semicolon));
        const double q =
            semicolon == std::string_view::npos ? 1 : weight(range.substr(semicolon + 1));
        if (sameLetters(type, "application/openmetrics-text")) {
            openMetrics = std::max(openMetrics, q);
        } else if (sameLetters(type, "text/plain") || sameLetters(type, "text/*") ||
                   sameLetters(type, "*/*")) {
            text = std::max(text, q);
        }
    }
    return openMetrics > 0 && openMetrics >= text ? ExpositionFormat::openMetrics
                                                  : ExpositionFormat::text;
}

std::string_view contentType(ExpositionFormat format) {
    return format == ExpositionFormat::openMetrics
               ? "application/openmetrics-text; version=1.0.0; charset=utf-8"
               : "text/plain; version=0.0.4; charset=utf-8";
}

std::string serialized(const std::vector<prometheus::MetricFamily>& families,
                       ExpositionFormat format) {
    if (format == ExpositionFormat::openMetrics) {
        return openMetricsText(families);
    }
    StringOutput buffer;
    std::ostream out(&buffer);
    prometheus::TextSerializer().Serialize(out, families);
    return std::move(buffer).text();
}

}  // namespace vantric

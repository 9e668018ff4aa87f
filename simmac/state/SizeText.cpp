#include "simmac/state/SizeText.h"

#include <cmath>
#include <limits>

namespace simmac {
namespace {

std::optional<qint64> scaled(const QString& number, double factor) {
    bool ok = false;
    const double value = number.toDouble(&ok);
    const double bytes = std::floor(value * factor);
    if (!ok || value < 0 || !std::isfinite(bytes) ||
        bytes > static_cast<double>(std::numeric_limits<qint64>::max() / 2)) {
        return std::nullopt;
    }
    return static_cast<qint64>(bytes);
}

std::optional<qint64> parse(const QString& text, const QString& units, const double* factors) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    const qsizetype unit = units.indexOf(trimmed.back().toUpper());
    return unit < 0 ? scaled(trimmed, 1) : scaled(trimmed.chopped(1), factors[unit]);
}

}  // namespace

std::optional<qint64> SizeText::decimal(const QString& text) {
    static constexpr double kFactors[] = {1, 512, 1e3, 1e6, 1e9, 1e12};
    return parse(text, QStringLiteral("BSKMGT"), kFactors);
}

std::optional<qint64> SizeText::binary(const QString& text) {
    static constexpr double kFactors[] = {512, 1024.0, 1024.0 * 1024, 1024.0 * 1024 * 1024,
                                          1024.0 * 1024 * 1024 * 1024};
    return parse(text, QStringLiteral("BKMGT"), kFactors);
}

}  // namespace simmac

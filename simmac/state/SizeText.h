#pragma once

#include <QString>

#include <optional>

namespace simmac {

// Sizes as the tools take them.
class SizeText {
public:
    // diskutil and simctl: a number with an optional decimal unit B, K, M, G, T (powers of 1000) or S
    // (512-byte sectors), in any case: "16G", "2500000000B", "1.5T".
    static std::optional<qint64> decimal(const QString& text);
    // hdiutil: a number of bytes, or with b (512-byte sectors), k, m, g, t (powers of 1024).
    static std::optional<qint64> binary(const QString& text);
};

}  // namespace simmac

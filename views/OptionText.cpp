#include "OptionText.h"

#include <QRegularExpression>

#include <array>
#include <cmath>

namespace levyc {

namespace {

// Comma-separated finite numbers, exactly N of them.
template <std::size_t N> std::optional<std::array<double, N>> Numbers(QStringView text)
{
    const QList<QStringView> parts = text.split(u',');
    if (parts.size() != static_cast<qsizetype>(N)) {
        return std::nullopt;
    }
    std::array<double, N> values{};
    for (std::size_t i = 0; i < N; ++i) {
        bool ok = false;
        values[i] = parts[static_cast<qsizetype>(i)].trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(values[i])) {
            return std::nullopt;
        }
    }
    return values;
}

} // namespace

std::optional<QSize> OptionText::Size(QStringView text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d{1,9})\\s*[x×X]\\s*(\\d{1,9})\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text.toString());
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const int width = match.capturedView(1).toInt();
    const int height = match.capturedView(2).toInt();
    if (width < 1 || height < 1 || width > MaxSide || height > MaxSide) {
        return std::nullopt;
    }
    return QSize(width, height);
}

std::optional<WorldWindow> OptionText::Window(QStringView text)
{
    const auto values = Numbers<4>(text);
    if (!values) {
        return std::nullopt;
    }
    return WorldWindow{(*values)[0], (*values)[1], (*values)[2], (*values)[3]};
}

std::optional<WorldPoint> OptionText::Centre(QStringView text)
{
    const auto values = Numbers<2>(text);
    if (!values) {
        return std::nullopt;
    }
    return WorldPoint{(*values)[0], (*values)[1]};
}

std::optional<double> OptionText::Zoom(QStringView text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value == 0) {
        return std::nullopt;
    }
    return value;
}

} // namespace levyc

#include "menu_item_centres.h"

#include <map>
#include <optional>

namespace veloquill::test {

QList<int> menuItemCentres(const QImage& menu)
{
    const int left = menu.width() / 10;
    const int right = menu.width() - left;
    const auto uniformColour = [&](int y) -> std::optional<QRgb> {
        const QRgb first = menu.pixel(left, y);
        for (int x = left + 1; x < right; ++x) {
            if (menu.pixel(x, y) != first)
                return std::nullopt;
        }
        return first;
    };
    std::map<QRgb, int> rowsOfColour;
    QList<std::optional<QRgb>> rows;
    for (int y = 0; y < menu.height(); ++y) {
        rows.append(uniformColour(y));
        if (rows.last())
            ++rowsOfColour[*rows.last()];
    }
    QRgb background = 0;
    int most = 0;
    for (const auto& [colour, count] : rowsOfColour) {
        if (count > most) {
            most = count;
            background = colour;
        }
    }

    // A separator may be drawn as one line or as a dark and a light one.
    constexpr int kEdge = 3;
    constexpr int kThickestSeparator = 4;
    const auto isLine = [&](int y) { return rows[y] && *rows[y] != background; };
    QList<int> boundaries{0};
    for (int y = kEdge; y < menu.height() - kEdge; ++y) {
        if (!isLine(y))
            continue;
        const int start = y;
        while (y + 1 < menu.height() - kEdge && isLine(y + 1))
            ++y;
        if (y - start + 1 <= kThickestSeparator)
            boundaries.append((start + y + 1) / 2);
    }
    boundaries.append(menu.height());
    QList<int> centres;
    for (qsizetype i = 0; i + 1 < boundaries.size(); ++i)
        centres.append((boundaries[i] + boundaries[i + 1]) / 2);
    return centres;
}

} // namespace veloquill::test

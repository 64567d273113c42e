#pragma once

#include <QImage>
#include <QList>

namespace veloquill::test {

// The vertical centres of a popup menu's items, found from its picture: the items lie
// between the thin full-width lines of its separators. Thick bands of one colour (a
// highlighted item) and the border at the edges are not separators.
QList<int> menuItemCentres(const QImage& menu);

} // namespace veloquill::test

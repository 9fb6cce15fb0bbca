#include "client/uistyle.h"

namespace gorse {

QColor toQColor(ChatColour colour)
{
    return QColor(colourRed(colour), colourGreen(colour), colourBlue(colour));
}

ChatColour fromQColor(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return colourFromRgb(rgb.red(), rgb.green(), rgb.blue());
}

QFont arialFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace gorse

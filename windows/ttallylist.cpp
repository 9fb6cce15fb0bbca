#include "windows/ttallylist.h"

namespace gorse {

Ttallylist::Ttallylist(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Ttallylist"));
    setWindowTitle(QStringLiteral("Gorse - Tally List"));
}

} // namespace gorse

#include "windows/tphrases.h"

namespace gorse {

Tphrases::Tphrases(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Tphrases"));
    setWindowTitle(QStringLiteral("Gorse - Phrase Buttons "));
}

} // namespace gorse

#include "web/webclient.h"

#include <QFile>

namespace gorse {

bool webClientBuiltIn()
{
    return QFile::exists(QStringLiteral(":/web/index.html"));
}

} // namespace gorse

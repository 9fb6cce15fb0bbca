#include "windows/tabout.h"

#include "net/messages.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace gorse {

Tabout::Tabout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Tabout"));
    setWindowTitle(QStringLiteral("About Gorse"));
    auto* title = new QLabel(QStringLiteral("<b>Gorse</b>"), this);
    auto* version = new QLabel(QString::fromLatin1(kVersionText), this);
    version->setObjectName(QStringLiteral("version"));
    auto* blurb = new QLabel(QStringLiteral("A word card game for one to six players."), this);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(version);
    layout->addWidget(blurb);
    layout->addWidget(ok);
}

} // namespace gorse

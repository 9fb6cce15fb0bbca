#include "windows/tdownload.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace gorse {

// Shown next to a solo game. Only the way on to the solo game is offered
// here; downloading the lobby program is not part of this build.
Tdownload::Tdownload(QWidget* parent) : QDialog(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("Tdownload"));
    setWindowTitle(QStringLiteral("Download The Velmar Lobby"));
    auto* label7 = new QLabel(QStringLiteral("To proceed to the game without the ability to play "
                                             "against others click the button below."),
                              this);
    label7->setWordWrap(true);
    auto* button1 = new QPushButton(QStringLiteral("Play Solo Game"), this);
    button1->setObjectName(QStringLiteral("Button1"));
    button1->setDefault(true);
    connect(button1, &QPushButton::clicked, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label7);
    layout->addWidget(button1);
    resize(360, 120);
}

} // namespace gorse

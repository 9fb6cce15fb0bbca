#include "windows/thelp.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace gorse {

Thelp::Thelp(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Thelp"));
    setWindowTitle(QStringLiteral("Gorse - Help"));
    auto* text = new QLabel(
        QStringLiteral(
            "<p><b>Playing.</b> Click the piles to spell a word from the cards on top, then press "
            "Done. Clear takes the whole word back, Clear-last the last card.</p>"
            "<p><b>Scoring.</b> 2 letters 5, 3 letters 10, 4 letters 15, 5 letters 20, 6 letters "
            "25, "
            "7 letters 30, 8 letters 40, 9 letters 60, 10 letters 80, more 100; the QU card adds "
            "50. "
            "A discarded card costs 5.</p>"
            "<p><b>Connecting.</b> <tt>gorse NAME HOST true</tt> hosts a game, "
            "<tt>gorse NAME HOST false</tt> joins the game at HOST (port 7772, or <tt>--port "
            "N</tt>).</p>"),
        this);
    text->setWordWrap(true);
    auto* done = new QPushButton(QStringLiteral("Done"), this);
    connect(done, &QPushButton::clicked, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(done);
    resize(420, 260);
}

} // namespace gorse

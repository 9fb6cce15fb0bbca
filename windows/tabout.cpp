#include "windows/tabout.h"

#include "game/rules.h"

#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace gorse {

namespace {

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& html)
{
    auto* label = new QLabel(html, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::RichText);
    label->setWordWrap(true);
    return label;
}

} // namespace

Tabout::Tabout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Tabout"));
    setWindowTitle(QStringLiteral("About Gorse"));

    auto* title = makeLabel(this, QStringLiteral("label_name"),
                            QStringLiteral("<span style=\"font-size:20pt; font-weight:bold\">"
                                           "Gorse</span>"));
    auto* version = new QLabel(QString::fromLatin1(kVersionText), this);
    version->setObjectName(QStringLiteral("version"));
    auto* blurb =
        makeLabel(this, QStringLiteral("label_blurb"),
                  QStringLiteral("A word card game for one to six players and up to three spies "
                                 "over a network, with a chat room."));
    auto* credits = makeLabel(
        this, QStringLiteral("label_credits"),
        QStringLiteral(
            "<p><b>Word list</b>: derived from SCOWL (Spell Checker Oriented Word Lists), "
            "Copyright 2000-2011 by Kevin Atkinson, and the word lists it collects, used under "
            "their licences. <a href=\"wordlist\">Read the full notice</a>.</p>"
            "<p><b>Qt</b>: Gorse runs on Qt %1, used under the GNU Lesser General Public License "
            "version 3 (LGPLv3).</p>"
            "<p><b>Gorse</b>: the game's own code is the Gorse project's; see the "
            "<a href=\"readme\">README</a>.</p>")
            .arg(QString::fromLatin1(qVersion())));
    credits->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(credits, &QLabel::linkActivated, this, &Tabout::showDocument);

    auto* aboutQt = new QPushButton(QStringLiteral("About Qt"), this);
    aboutQt->setObjectName(QStringLiteral("button_aboutqt"));
    aboutQt->setAutoDefault(false);
    connect(aboutQt, &QPushButton::clicked, this, [this] { QMessageBox::aboutQt(this); });
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("button_ok"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(aboutQt);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(version);
    layout->addWidget(blurb);
    layout->addWidget(credits);
    layout->addStretch(1);
    layout->addLayout(buttons);
    setFixedWidth(420);
}

void Tabout::showDocument(const QString& name)
{
    const bool readme = name == QLatin1String("readme");
    if (!readme && name != QLatin1String("wordlist"))
        return;
    if (!m_viewer) {
        m_viewer = new QDialog(this);
        m_viewer->setObjectName(QStringLiteral("viewer"));
        m_viewerText = new QTextBrowser(m_viewer);
        m_viewerText->setObjectName(QStringLiteral("text_viewer"));
        m_viewerText->setOpenExternalLinks(true);
        auto* close = new QPushButton(QStringLiteral("Close"), m_viewer);
        connect(close, &QPushButton::clicked, m_viewer, &QDialog::close);
        auto* layout = new QVBoxLayout(m_viewer);
        layout->addWidget(m_viewerText);
        layout->addWidget(close, 0, Qt::AlignRight);
        m_viewer->resize(640, 520);
    }
    QFile file(readme ? QStringLiteral(":/about/README.md")
                      : QStringLiteral(":/about/english.dic.copyright"));
    const QString text = file.open(QIODevice::ReadOnly)
                             ? QString::fromUtf8(file.readAll())
                             : QStringLiteral("(missing from this build)");
    if (readme) {
        m_viewer->setWindowTitle(QStringLiteral("Gorse - README"));
        m_viewerText->setMarkdown(text);
    } else {
        m_viewer->setWindowTitle(QStringLiteral("Gorse - Word list licence"));
        m_viewerText->setPlainText(text);
    }
    m_viewer->show();
    m_viewer->raise();
}

} // namespace gorse

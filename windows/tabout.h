#pragma once

#include <QDialog>

class QTextBrowser;

namespace gorse {

// The about window: the name, the version, the credits and licences, and the
// README and the word list's licence notice, shown from built-in copies.
class Tabout : public QDialog
{
    Q_OBJECT
public:
    explicit Tabout(QWidget* parent = nullptr);

    // Shows a built-in text ("readme" or "wordlist") in the viewer.
    void showDocument(const QString& name);
    // The viewer, once a document was shown.
    QDialog* viewer() const { return m_viewer; }
    QTextBrowser* viewerText() const { return m_viewerText; }

private:
    QDialog* m_viewer = nullptr;
    QTextBrowser* m_viewerText = nullptr;
};

} // namespace gorse

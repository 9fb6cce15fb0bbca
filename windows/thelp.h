#pragma once

#include <QDialog>
#include <array>

class QButtonGroup;
class QPushButton;
class QTextBrowser;

namespace gorse {

// The help window: seven pages, one button each, shown in a text browser.
// The pages are HTML files built into the program.
class Thelp : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kPageCount = 7;
    struct Page
    {
        const char* file;    // under qrc:/help/
        const char* caption; // the button's text
    };
    static const std::array<Page, kPageCount> kPages;

    explicit Thelp(QWidget* parent = nullptr);

    // Shows page index (0 to kPageCount - 1) and marks its button.
    void showPage(int index);
    int currentPage() const { return m_current; }
    QPushButton* pageButton(int index) const;
    QTextBrowser* text_help() const { return m_text; }

private:
    QTextBrowser* m_text;
    QButtonGroup* m_buttons;
    int m_current = -1;
};

} // namespace gorse

#include "client/chatpane.h"

#include "chat/chatlog.h"
#include "chat/smilies.h"
#include "client/uistyle.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QColorDialog>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <algorithm>

namespace gorse {

namespace {

// Style sheet entry a fragment of the document was drawn with.
constexpr int kStyleProperty = QTextFormat::UserProperty + 1;

constexpr ChatColour kBackground = 0x00F9F8F7;
constexpr int kMargin = 5;

QUrl smileyName(int image)
{
    return QUrl(QStringLiteral("smiley:%1").arg(image));
}

// Characters the document would take as a line or frame break, or as an
// object, are shown as spaces so that every piece keeps its length.
QString displayText(const QString& text)
{
    QString shown = text;
    for (QChar& c : shown) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || u == 0x2028 || u == 0x2029 || u == 0xFFFC || u == 0xFDD0 ||
            u == 0xFDD1)
            c = QLatin1Char(' ');
    }
    return shown;
}

bool isStyle(int style)
{
    return style >= 0 && style < ChatLog::kStyleCount;
}

void applyStyle(QTextCharFormat& format, const ChatStyle& style)
{
    format.setForeground(toQColor(style.colour));
    format.setFontWeight(style.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(style.italic);
    format.setFontUnderline(style.underline);
}

} // namespace

ChatPane::ChatPane(ChatLog* log, QWidget* parent) : QTextBrowser(parent), m_log(log)
{
    setObjectName(QStringLiteral("mainchat"));
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setUndoRedoEnabled(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, toQColor(kBackground));
    setPalette(pal);
    document()->setDocumentMargin(kMargin);
    QFont font = arialFont(13);
    font.setPointSize(m_log->textSize());
    document()->setDefaultFont(font);

    for (int i = 0; i < int(m_smilies.size()); ++i) {
        m_smilies[std::size_t(i)] = paintSmiley(i);
        document()->addResource(QTextDocument::ImageResource, smileyName(i),
                                m_smilies[std::size_t(i)]);
    }

    m_openLink = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    m_pickColour = [this](const QColor& current) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(current, this);
        if (!chosen.isValid())
            return std::nullopt;
        return chosen;
    };

    createActions();

    for (int i = 0; i < ChatLog::kStyleCount; ++i)
        m_drawnStyle[std::size_t(i)] = m_log->style(i);
    connect(m_log, &ChatLog::piecesAdded, this, &ChatPane::appendPieces);
    connect(m_log, &ChatLog::firstLinesRemoved, this, &ChatPane::removeFirstLines);
    connect(m_log, &ChatLog::styleChanged, this, &ChatPane::restyle);
    // Lines scrolled into view are drawn anew once the turn is over.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (!m_restyleTimer.isActive())
            m_restyleTimer.start();
    });
    m_restyleTimer.setSingleShot(true);
    m_restyleTimer.setInterval(0);
    connect(&m_restyleTimer, &QTimer::timeout, this, &ChatPane::restyleVisible);
    connect(m_log, &ChatLog::cleared, this, &ChatPane::clearDocument);
    connect(m_log, &ChatLog::textSizeChanged, this, &ChatPane::applyTextSize);
    connect(m_log, &ChatLog::scrollChatOffChanged, this, &ChatPane::setScrollChecks);
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        bool ok = false;
        const int link = url.path().toInt(&ok);
        if (url.scheme() == QLatin1StringView("link") && ok)
            mainchatJump(link);
    });

    m_insertTimer.setSingleShot(true);
    m_insertTimer.setInterval(0);
    connect(&m_insertTimer, &QTimer::timeout, this, &ChatPane::insertPendingLines);
    m_documentLines = m_log->lineCount();
    if (!m_log->pieces().isEmpty())
        insertPieces(0);
}

void ChatPane::appendPieces(int /*first*/)
{
    // Written into the document once the event loop's turn is over: a burst
    // of lines is laid out once, and lines that go before it ends never are.
    ++m_pendingLines;
    if (!m_insertTimer.isActive())
        m_insertTimer.start();
}

void ChatPane::insertPendingLines()
{
    if (m_pendingLines <= 0)
        return;
    const QList<ChatPiece>& pieces = m_log->pieces();
    qsizetype first = pieces.size();
    for (int lines = 0; lines < m_pendingLines && first > 0;) {
        --first;
        lines += pieces[first].startsLine;
    }
    m_documentLines += m_pendingLines;
    m_pendingLines = 0;
    insertPieces(first);
}

void ChatPane::insertPieces(qsizetype first)
{
    const QList<ChatPiece>& pieces = m_log->pieces();
    QTextDocument* doc = document();
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    for (qsizetype i = first; i < pieces.size(); ++i) {
        const ChatPiece& piece = pieces[i];
        if (piece.startsLine && !doc->isEmpty())
            cursor.insertBlock();
        if (piece.startsLine && isStyle(piece.style))
            cursor.block().setUserState(m_styleVersion[std::size_t(piece.style)]);
        if (piece.kind == ChatPiece::Kind::Image) {
            const int image = std::clamp(piece.image, 0, int(m_smilies.size()) - 1);
            const QUrl name = smileyName(image);
            QTextImageFormat format;
            format.setName(name.toString());
            format.setWidth(kSmileyWidth);
            format.setHeight(kSmileyHeight);
            format.setVerticalAlignment(QTextCharFormat::AlignBaseline);
            format.setProperty(kStyleProperty, piece.style);
            cursor.insertImage(format);
            continue;
        }
        QTextCharFormat format;
        format.setProperty(kStyleProperty, piece.style);
        applyStyle(format, m_log->style(piece.style));
        if (piece.kind == ChatPiece::Kind::Link) {
            format.setAnchor(true);
            format.setAnchorHref(QStringLiteral("link:%1").arg(piece.link));
        }
        cursor.insertText(displayText(piece.text), format);
    }
    cursor.endEditBlock();
    if (!m_log->scrollChatOff())
        scrollToEnd();
}

void ChatPane::restyle(int style)
{
    if (!isStyle(style))
        return;
    const ChatStyle now = m_log->style(style);
    ChatStyle& was = m_drawnStyle[std::size_t(style)];
    const bool sameShape =
        now.bold == was.bold && now.italic == was.italic && now.underline == was.underline;
    was = now;
    if (!sameShape) {
        // The lines may break differently: all of them now (this happens
        // once per style, with its first line).
        restyleAll(style);
        return;
    }
    // Only the colour: the lines on screen once the event loop's turn is
    // over (a burst of lines is drawn anew once), the others when they come
    // into view.
    int& version = m_styleVersion[std::size_t(style)];
    version = (version + 1) & 0x3FFFFFFF;
    if (!m_restyleTimer.isActive())
        m_restyleTimer.start();
}

int ChatPane::lineStyle(const QTextBlock& block) const
{
    // A line's first piece, the name, carries the line's style.
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextCharFormat format = it.fragment().charFormat();
        if (!format.isImageFormat() && format.hasProperty(kStyleProperty))
            return format.intProperty(kStyleProperty);
    }
    return -1;
}

void ChatPane::restyleLine(QTextBlock& block, int style)
{
    struct Range
    {
        int start;
        int length;
    };
    QList<Range> ranges;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat format = fragment.charFormat();
        if (format.hasProperty(kStyleProperty) && format.intProperty(kStyleProperty) == style &&
            !format.isImageFormat())
            ranges.append({fragment.position(), fragment.length()});
    }
    QTextCharFormat change;
    applyStyle(change, m_log->style(style));
    QTextCursor cursor(document());
    // One change of the document for the whole line: it is laid out once.
    cursor.beginEditBlock();
    for (const Range& range : ranges) {
        cursor.setPosition(range.start);
        cursor.setPosition(range.start + range.length, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(change);
    }
    cursor.endEditBlock();
    block.setUserState(m_styleVersion[std::size_t(style)]);
    ++m_restyledLines;
}

void ChatPane::restyleAll(int style)
{
    m_restyling = true;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (lineStyle(block) == style)
            restyleLine(block, style);
    }
    m_restyling = false;
}

void ChatPane::restyleVisible()
{
    if (m_restyling || document()->isEmpty())
        return;
    m_restyling = true;
    const QAbstractTextDocumentLayout* layout = document()->documentLayout();
    const int bottom = verticalScrollBar()->value() + viewport()->height();
    for (QTextBlock block = cursorForPosition(QPoint(0, 0)).block(); block.isValid();
         block = block.next()) {
        if (layout->blockBoundingRect(block).top() > bottom)
            break;
        const int style = lineStyle(block);
        if (isStyle(style) && block.userState() != m_styleVersion[std::size_t(style)])
            restyleLine(block, style);
    }
    m_restyling = false;
}

void ChatPane::removeFirstLines(int lines)
{
    // Lines not written yet go without ever being laid out.
    const int shown = std::min(lines, m_documentLines);
    m_pendingLines = std::max(0, m_pendingLines - (lines - shown));
    m_documentLines -= shown;
    lines = shown;
    if (lines <= 0)
        return;
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::Start);
    if (!cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, lines))
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void ChatPane::resizeEvent(QResizeEvent* event)
{
    QTextBrowser::resizeEvent(event);
    restyleVisible();
}

void ChatPane::clearDocument()
{
    m_pendingLines = 0;
    m_documentLines = 0;
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    cursor.setBlockCharFormat(QTextCharFormat());
    setTextCursor(QTextCursor(document()));
}

void ChatPane::scrollToEnd()
{
    // Lay the document out to its end so that the scroll range is current.
    document()->documentLayout()->blockBoundingRect(document()->lastBlock());
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->maximum());
}

qsizetype ChatPane::logPosition(int documentPosition) const
{
    // Lines are blocks; every block boundary takes one document position
    // that the log does not count.
    const QTextBlock block = document()->findBlock(documentPosition);
    return documentPosition -
           (block.isValid() ? block.blockNumber() : document()->blockCount() - 1);
}

QString ChatPane::selectedPlainText() const
{
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return {};
    return m_log->plainText(logPosition(cursor.selectionStart()),
                            logPosition(cursor.selectionEnd()));
}

QMimeData* ChatPane::createMimeDataFromSelection() const
{
    auto* data = new QMimeData;
    data->setText(selectedPlainText());
    return data;
}

} // namespace gorse

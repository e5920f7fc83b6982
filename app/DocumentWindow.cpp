#include "DocumentWindow.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QMessageBox>

#include "ContentView.h"
#include "HighlightingEditor/HighlightingEditor.h"
#include "HighlightingEditor/TextView.h"
#include "TarvineApp.h"

namespace tarvine {

namespace {

// A new window's size.
constexpr QSize initialSize(900, 640);

} // namespace

DocumentWindow::DocumentWindow(TarvineApp* app)
    : contentView_(new ContentView(&app->settings(), this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Tarvine"));
    setCentralWidget(contentView_);
    resize(initialSize);
    buildMenus(app);
}

void DocumentWindow::buildMenus(TarvineApp* app)
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&New Window"), QKeySequence::New, app, [app] { app->newWindow(); });
    file->addAction(tr("&Close Window"), QKeySequence::Close, this, &QWidget::close);
    file->addSeparator();
    QAction* quit = file->addAction(tr("&Quit"), QKeySequence::Quit, app, [app] { app->quit(); });
    quit->setMenuRole(QAction::QuitRole);

    TextView* text = contentView_->textView();
    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    QAction* undo = edit->addAction(tr("&Undo"), QKeySequence::Undo, text, &QPlainTextEdit::undo);
    QAction* redo = edit->addAction(tr("&Redo"), QKeySequence::Redo, text, &QPlainTextEdit::redo);
    undo->setEnabled(false);
    redo->setEnabled(false);
    connect(text, &QPlainTextEdit::undoAvailable, undo, &QAction::setEnabled);
    connect(text, &QPlainTextEdit::redoAvailable, redo, &QAction::setEnabled);
    edit->addSeparator();
    edit->addAction(tr("Cu&t"), QKeySequence::Cut, text, &QPlainTextEdit::cut);
    edit->addAction(tr("&Copy"), QKeySequence::Copy, text, &QPlainTextEdit::copy);
    edit->addAction(tr("&Paste"), QKeySequence::Paste, text, &QPlainTextEdit::paste);
    edit->addSeparator();
    edit->addAction(tr("Select &All"), QKeySequence::SelectAll, text, &QPlainTextEdit::selectAll);
    edit->addSeparator();
    QAction* settings = edit->addAction(tr("&Settings…"), QKeySequence(Qt::CTRL | Qt::Key_Comma), app,
                                        [app] { app->showSettings(); });
    settings->setMenuRole(QAction::PreferencesRole);
}

void DocumentWindow::closeEvent(QCloseEvent* event)
{
    // The document exists nowhere else: closing a window with text in it
    // asks first.
    if (!contentView_->source().isEmpty()) {
        const auto answer = QMessageBox::question(
            this, tr("Close this document?"),
            tr("Tarvine keeps a document only while its window is open. Its text will be lost."),
            QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Cancel);
        if (answer != QMessageBox::Discard) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

} // namespace tarvine

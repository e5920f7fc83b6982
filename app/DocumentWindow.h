#pragma once

#include <QMainWindow>

namespace tarvine {

class ContentView;
class TarvineApp;

// One document: a main window with the File and Edit menus around a
// ContentView. Its document lives only as long as the window.
class DocumentWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit DocumentWindow(TarvineApp* app);

    ContentView* contentView() const { return contentView_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus(TarvineApp* app);

    ContentView* contentView_;
};

} // namespace tarvine

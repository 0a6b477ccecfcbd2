// Form peer: window title, size, window state and close requests go through the framework.
#include "host/FormPeer.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QVBoxLayout>
#include <algorithm>

#include "host/ArrangingFrame.h"
#include "host/MainWindow.h"
#include "host/Shell.h"
#include "platform/ui/Menu.h"

namespace host {

// Asks the framework before closing, and reports the window buttons to it.
class FormPeer::FormWindow : public QMdiSubWindow {
  public:
    FormWindow(Shell& shell, platform::Form& form) : shell_(&shell), form_(&form) {
        setAttribute(Qt::WA_DeleteOnClose, false);
    }
    // The form and its peer are gone; the window only waits for its deferred deletion.
    void Detach() {
        shell_ = nullptr;
        form_ = nullptr;
    }

  protected:
    void closeEvent(QCloseEvent* event) override {
        // The framework decides (its OnClose may hide, minimise or free the form); the peer
        // follows its notifications.
        if (form_ == nullptr) return;  // detached: let the window go
        event->ignore();
        if (!shell_->Syncing() && !shell_->JobRunning()) form_->UserClose();
    }
    void changeEvent(QEvent* event) override {
        QMdiSubWindow::changeEvent(event);
        if (form_ == nullptr || event->type() != QEvent::WindowStateChange || shell_->Syncing() ||
            shell_->JobRunning())
            return;
        platform::WindowState state = platform::WindowState::Normal;
        if (isMinimized()) state = platform::WindowState::Minimized;
        if (isMaximized()) state = platform::WindowState::Maximized;
        if (state != form_->State()) form_->UserSetWindowState(state);
    }

  private:
    Shell* shell_;
    platform::Form* form_;
};

FormPeer::FormPeer(Shell& shell, platform::Form& form)
    : Peer(shell, form, new QWidget),
      form_(form),
      layout_(new QVBoxLayout(Widget())),
      area_(new ArrangingFrame(Widget())) {
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
    layout_->addWidget(area_, 1);
    area_->arrange = [this] { ArrangeChildren(); };
    Widget()->setFocusPolicy(Qt::NoFocus);
    if (form.Style() == platform::FormStyle::MDIChild) {
        sub_ = new FormWindow(shell, form);
        sub_->setWidget(Widget());
        // The window menu's keys would make the shell's Ctrl+F4 ambiguous, once per child
        // window: the shell's "Janela" menu holds them.
        if (QMenu* system = sub_->systemMenu()) {
            for (QAction* action : system->actions()) action->setShortcuts({});
        }
        shell.Window().MdiArea()->addSubWindow(sub_);
    } else {
        Widget()->setParent(&shell.Window(), Qt::Window);
        // A window of its own (the history) closes with Escape, as a dialog does.
        auto* close = new QAction(Widget());
        close->setShortcut(QKeySequence(Qt::Key_Escape));
        close->setShortcutContext(Qt::WindowShortcut);
        Widget()->addAction(close);
        QObject::connect(close, &QAction::triggered, Context(), [this] {
            if (!shell_.Syncing() && !shell_.JobRunning()) form_.UserClose();
        });
    }
}

FormPeer::~FormPeer() {
    RememberPlace();
    // The framework's form is going away; the Qt window goes after the event under way.
    if (sub_ != nullptr) static_cast<FormWindow*>(sub_)->Detach();
    Window()->hide();
    Window()->deleteLater();
}

QWidget* FormPeer::ChildArea() const {
    return area_;
}

QWidget* FormPeer::Window() const {
    return sub_ != nullptr ? static_cast<QWidget*>(sub_) : Widget();
}

void FormPeer::ShowMenu() {
    if (menu_ != nullptr) {
        layout_->setMenuBar(nullptr);
        menu_->Bar()->deleteLater();
        menu_.reset();
    }
    if (platform::MainMenu* menu = form_.Menu()) {
        menu_ = std::make_unique<MenuBarPeer>(*menu, Widget());
        layout_->setMenuBar(menu_->Bar());
    }
}

void FormPeer::MenuChanged(const platform::Component& component, platform::Property property) {
    if (menu_ != nullptr) menu_->Update(component, property);
}

void FormPeer::UpdateAll() {
    Peer::UpdateAll();
    Update(platform::Property::Bounds);
    ShowMenu();
}

void FormPeer::Update(platform::Property property) {
    using platform::Property;
    switch (property) {
        case Property::Caption:
            Window()->setWindowTitle(ToQt(form_.Caption()));
            break;
        case Property::Bounds:
            if (sub_ != nullptr)
                Place();
            else
                Window()->setGeometry(
                    OnScreen(QRect(form_.Left(), form_.Top(), form_.Width(), form_.Height())));
            break;
        case Property::Visible:
            break;  // followed through the shown / hidden notifications
        case Property::WindowState:
            ShowWindowState();
            break;
        case Property::Menu:
            ShowMenu();
            break;
        case Property::Name:
            Peer::Update(property);
            Window()->setObjectName(ToQt(form_.Name()) + "Window");
            break;
        default:
            Peer::Update(property);
            break;
    }
}

void FormPeer::ShowWindowState() {
    QWidget* window = Window();
    switch (form_.State()) {
        case platform::WindowState::Normal:
            if (window->isMinimized() || window->isMaximized()) window->showNormal();
            break;
        case platform::WindowState::Minimized:
            if (!window->isMinimized()) window->showMinimized();
            break;
        case platform::WindowState::Maximized:
            if (!window->isMaximized()) window->showMaximized();
            break;
    }
}

void FormPeer::Present() {
    QWidget* window = Window();
    if (!window->isVisible()) {
        if (sub_ != nullptr) Place();
        window->show();
    }
    ShowWindowState();
    if (sub_ != nullptr) {
        shell_.Window().MdiArea()->setActiveSubWindow(sub_);
    } else {
        window->raise();
        window->activateWindow();
    }
}

void FormPeer::Hidden() {
    RememberPlace();
    Window()->hide();
}

QString FormPeer::SettingsKey() const {
    return "Telas/" + ToQt(form_.Name()) + "/geometry";
}

QRect FormPeer::Placement(const QSize& size, const QRect& area, const QRect& saved) {
    if (saved.isValid() && area.contains(saved)) return saved;
    QRect placed(QPoint(0, 0), (saved.isValid() ? saved.size() : size).boundedTo(area.size()));
    placed.moveCenter(area.center());
    placed.moveTopLeft(
        QPoint(std::max(placed.left(), area.left()), std::max(placed.top(), area.top())));
    return placed;
}

QRect FormPeer::OnScreen(const QRect& wanted) const {
    // The form's designed place, moved and shrunk to lie wholly on the main window's display.
    const QScreen* screen = shell_.Window().screen();
    if (screen == nullptr) return wanted;
    const QRect available = screen->availableGeometry();
    QRect placed(wanted.topLeft(), wanted.size().boundedTo(available.size()));
    placed.moveLeft(
        std::clamp(placed.left(), available.left(), available.right() + 1 - placed.width()));
    placed.moveTop(
        std::clamp(placed.top(), available.top(), available.bottom() + 1 - placed.height()));
    return placed;
}

void FormPeer::Place() {
    // The form's designed place is for a display of its own: the window takes the form's
    // size and goes wholly inside the area the user sees.
    QMdiArea* mdi = shell_.Window().MdiArea();
    const QRect area = mdi->viewport()->rect();
    const QSize size(form_.Width() > 0 ? form_.Width() : sub_->width(),
                     form_.Height() > 0 ? form_.Height() : sub_->height());
    if (area.width() < 200 || area.height() < 150) {
        sub_->resize(size);  // the area is not laid out yet: placed again when shown
        return;
    }
    const QRect saved = QSettings().value(SettingsKey()).toRect();
    sub_->setGeometry(Placement(size, area, saved));
}

void FormPeer::RememberPlace() const {
    if (sub_ == nullptr || !sub_->isVisible() || sub_->isMinimized() || sub_->isMaximized()) return;
    QSettings().setValue(SettingsKey(), sub_->geometry());
}

}  // namespace host

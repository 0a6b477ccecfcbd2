// Shell: connects the framework's application to the Qt main window. Forms become child windows
// of the multi-document area, every control gets a peer, the framework's change notifications
// reach the peers, and the framework's dialogs become Qt dialogs.
#pragma once

#include <QMdiSubWindow>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/QtDialogPort.h"
#include "host/QtJobPort.h"
#include "platform/app/Application.h"

class QWidget;

namespace platform {
class ToolButton;
}

namespace host {

class MainWindow;
class Peer;
class FormPeer;

// A database URL with its password masked ("postgresql://ana:***@db/saldo"), fit to show.
QString WithoutPassword(const std::string& url);

class Shell : public QObject {
  public:
    explicit Shell(MainWindow& window,
                   platform::Application& app = platform::Application::Instance());
    ~Shell() override;

    MainWindow& Window() const { return window_; }
    platform::Application& App() const { return app_; }
    QtDialogPort& Dialogs() { return dialogs_; }
    QtJobPort& Jobs() { return jobs_; }
    // While a blocking job runs, the window paints but starts no framework event.
    bool JobRunning() const { return jobs_.Running(); }

    // The captions of the shown forms that hold a row being edited or inserted.
    std::vector<std::string> FormsEnteringRows() const;
    // Asked before the main window closes: false while a job runs, or when a form holds a
    // row being entered and the user answers "Não".
    bool ConfirmQuit();

    Peer* PeerOf(const platform::Component* component) const;
    FormPeer* FormPeerOf(const platform::Form* form) const;

    // True while the shell itself moves Qt state to match the framework: Qt signals raised
    // then are not user actions.
    bool Syncing() const { return syncing_ > 0; }
    // Puts the Qt focus on the widget of the control that holds the framework's focus.
    void SyncFocus(platform::Form& form);

    // Creates the peers of `control` and of everything it contains, under `area`.
    Peer* Build(platform::Control& control, QWidget* area);
    // Watches `widget` for the focus and Tab keys of `peer`'s control.
    void Watch(QWidget* widget, Peer* peer);
    // Registers a peer made by another peer (a grid's columns, a menu's entries).
    void Adopt(const platform::Component& component, std::unique_ptr<Peer> peer);

    // Marks a stretch of Qt changes made by the shell (see Syncing).
    class SyncGuard {
      public:
        explicit SyncGuard(Shell& shell) : shell_(shell) { ++shell_.syncing_; }
        ~SyncGuard() { --shell_.syncing_; }
        SyncGuard(const SyncGuard&) = delete;
        SyncGuard& operator=(const SyncGuard&) = delete;

      private:
        Shell& shell_;
    };

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OnNotify(const platform::Notification& notification);
    FormPeer& EnsureFormPeer(platform::Form& form);
    void DropForm(platform::Form& form);
    void ApplyCursor();
    void ShowStatus();
    void ShowHint();
    // After a read's message (`read`, "15 saldos lidos."): when a filter of the active form's
    // grid hides some of them, says how many are shown.
    void SayFiltered(const QString& read);
    // After an error box: the refused control's text is selected and the status line says
    // the refusal with the form expected.
    void AfterRefusal(const std::string& text);
    // Whether `sub` is the child window of a framework form.
    bool CarriesForm(const QMdiSubWindow* sub) const;
    void BeforeJob();
    void AfterJob();
    // The look-up button whose Associate is `control` (its Ctrl+Enter), or null.
    platform::ToolButton* LookUpOf(const platform::Control& control) const;
    std::unique_ptr<Peer> MakePeer(platform::Control& control, QWidget* area);

    MainWindow& window_;
    platform::Application& app_;
    QtDialogPort dialogs_;
    QtJobPort jobs_;
    QString database_;
    std::unordered_map<const platform::Component*, std::unique_ptr<Peer>> peers_;
    std::unordered_map<const QObject*, Peer*> byWidget_;
    int token_ = 0;
    int syncing_ = 0;
    bool hourGlass_ = false;
    // The child window and the widget that had the focus when the outermost job started:
    // the window that made the call gets them back when it ends.
    QPointer<QMdiSubWindow> caller_;
    // The framework's status texts last shown.
    std::string shownMessage_;
    std::string shownConnection_;
    QPointer<QWidget> callerFocus_;
};

}  // namespace host

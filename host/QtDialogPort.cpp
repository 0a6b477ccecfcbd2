// Qt dialogs behind the framework's dialog port. Every dialog is modal and returns only when the
// user answered, as the framework's synchronous handlers expect.
#include "host/QtDialogPort.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include "host/Dialogs.h"
#include "host/LoginWindow.h"

namespace host {

namespace {

// Runs a modal dialog with the arrow cursor (over any busy cursor), then gives the activation
// back to the main window, whose focus widget is where the framework holds the focus.
void RunModal(QWidget* window, QDialog& dialog) {
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    dialog.exec();
    QApplication::restoreOverrideCursor();
    if (window != nullptr && window->isVisible()) window->activateWindow();
}

QString PickTitle(const std::string& title) {
    // The library's titles may carry "title|message for an empty list"; the window shows the first.
    const QString text = QString::fromStdString(title);
    return text.section('|', 0, 0);
}

}  // namespace

void QtDialogPort::ShowError(const std::string& text) {
    QMessageBox box(window_);
    PrepareErrorBox(box, QString::fromStdString(text));
    RunModal(window_, box);
    if (afterError) afterError(text);
}

void QtDialogPort::ShowErrorWithDetail(const std::string& text, const std::string& detail) {
    QMessageBox box(window_);
    PrepareErrorBox(box, QString::fromStdString(text));
    box.setInformativeText(QString::fromStdString(detail));
    RunModal(window_, box);
    if (afterError) afterError(text + " " + detail);
}

int QtDialogPort::Ask(const std::string& text, platform::DialogType type,
                      platform::DialogButtons buttons, int /*helpContext*/) {
    using namespace platform;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (type) {
        case DialogType::Warning:
            icon = QMessageBox::Warning;
            break;
        case DialogType::Error:
            icon = QMessageBox::Critical;
            break;
        case DialogType::Information:
            icon = QMessageBox::Information;
            break;
        case DialogType::Confirmation:
            icon = QMessageBox::Question;
            break;
        case DialogType::Custom:
            break;
    }
    QMessageBox box(icon, ApplicationTitle(), QString::fromStdString(text), QMessageBox::NoButton,
                    window_);
    box.setObjectName("MessageBoxPergunta");
    struct Choice {
        unsigned bit;
        const char* label;
        QMessageBox::ButtonRole role;
        int result;
    };
    static const Choice choices[] = {
        {mbYes, "&Sim", QMessageBox::YesRole, mrYes},
        {mbNo, "&Não", QMessageBox::NoRole, mrNo},
        {mbOK, "OK", QMessageBox::AcceptRole, mrOk},
        {mbCancel, "Cancelar", QMessageBox::RejectRole, mrCancel},
        {mbAbort, "&Abortar", QMessageBox::RejectRole, mrAbort},
        {mbRetry, "&Repetir", QMessageBox::AcceptRole, mrRetry},
        {mbIgnore, "&Ignorar", QMessageBox::AcceptRole, mrIgnore},
    };
    std::vector<std::pair<QAbstractButton*, int>> made;
    for (const Choice& choice : choices) {
        if ((buttons & choice.bit) == 0) continue;
        made.emplace_back(box.addButton(QString::fromUtf8(choice.label), choice.role),
                          choice.result);
    }
    if (made.empty()) made.emplace_back(box.addButton("OK", QMessageBox::AcceptRole), mrOk);
    box.setDefaultButton(static_cast<QPushButton*>(made.front().first));
    RunModal(window_, box);
    for (const auto& [button, result] : made)
        if (box.clickedButton() == button) return result;
    // Closed with Escape or the window button: the "no" answer when there is one.
    if ((buttons & mbCancel) != 0) return mrCancel;
    if ((buttons & mbNo) != 0) return mrNo;
    return mrCancel;
}

std::optional<std::size_t> QtDialogPort::PickRow(
    const std::string& title, const std::vector<std::string>& captions,
    const std::vector<std::vector<std::string>>& rows) {
    QStringList qtCaptions;
    for (const auto& caption : captions) qtCaptions << QString::fromStdString(caption);
    std::vector<QStringList> qtRows;
    qtRows.reserve(rows.size());
    for (const auto& row : rows) {
        QStringList cells;
        for (const auto& cell : row) cells << QString::fromStdString(cell);
        qtRows.push_back(std::move(cells));
    }
    PickListDialog dialog(window_, PickTitle(title), qtCaptions, qtRows, 0);
    RunModal(window_, dialog);
    if (dialog.Picked() < 0) return std::nullopt;
    return static_cast<std::size_t>(dialog.Picked());
}

void QtDialogPort::StartBusy(int /*kind*/) {
    busy_.Start();
}

void QtDialogPort::StopBusy() {
    busy_.Stop();
}

std::optional<platform::LoginAnswer> QtDialogPort::AskLogin(const platform::LoginRequest& request) {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr) return std::nullopt;
    std::optional<platform::LoginAnswer> answer;
    const auto ask = [&] {
        platform::LoginRequest shown = request;
        if (!lastUser_.empty()) shown.user = lastUser_;
        LoginWindow window(window_, shown);
        RunModal(window_, window);
        answer = window.Answer();
        if (answer) lastUser_ = answer->user;
    };
    if (QThread::currentThread() == application->thread())
        ask();
    else
        QMetaObject::invokeMethod(application, ask, Qt::BlockingQueuedConnection);
    return answer;
}

}  // namespace host

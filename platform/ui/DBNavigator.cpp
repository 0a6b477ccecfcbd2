// The navigator's buttons and their state.
#include "platform/ui/DBNavigator.h"

#include "platform/app/Application.h"
#include "platform/app/DialogPort.h"
#include "platform/data/ClientDataSet.h"
#include "platform/data/DataLink.h"
#include "platform/data/DataSource.h"
#include "platform/ui/Form.h"

namespace platform {

class DBNavigator::Link : public DataLink {
  public:
    explicit Link(DBNavigator& navigator) : navigator_(navigator) {}
    void ActiveChanged() override { Touch(); }
    void StateChanged() override { Touch(); }
    void DataSetChanged() override { Touch(); }
    void DataSetScrolled() override { Touch(); }

  private:
    // The buttons' states follow the set; the renderer re-reads them.
    void Touch() { navigator_.Changed(Property::GridData); }
    DBNavigator& navigator_;
};

DBNavigator::DBNavigator() : link_(std::make_unique<Link>(*this)) {}

DBNavigator::~DBNavigator() = default;

DataSource* DBNavigator::GetDataSource() const {
    return link_->GetDataSource();
}

void DBNavigator::SetDataSource(DataSource* source) {
    if (source == link_->GetDataSource()) return;
    link_->SetDataSource(source);
    Changed(Property::DataSource);
}

bool DBNavigator::ButtonEnabled(NavigateButton button) const {
    if (!link_->Active()) return false;
    const ClientDataSet& set = *link_->DataSet();
    const int row = set.VisibleRowIndex();
    const bool canModify = !set.ReadOnly();
    switch (button) {
        case NavigateButton::First:
        case NavigateButton::Prior:
            return row > 0;
        case NavigateButton::Next:
        case NavigateButton::Last:
            return row >= 0 && row < set.RecordCount() - 1;
        case NavigateButton::Insert:
            return canModify;
        case NavigateButton::Delete:
            return canModify && !set.IsEmpty();
        case NavigateButton::Edit:
            return canModify && !set.Editing() && !set.IsEmpty();
        case NavigateButton::Post:
        case NavigateButton::Cancel:
            return set.Editing();
    }
    return false;
}

void DBNavigator::Click(NavigateButton button) {
    RequireForm();
    if (!Usable() || !ButtonEnabled(button)) return;
    RunUserEvent([this, button] {
        ClientDataSet& set = *link_->DataSet();
        switch (button) {
            case NavigateButton::First:
                set.First();
                break;
            case NavigateButton::Prior:
                set.Prior();
                break;
            case NavigateButton::Next:
                set.Next();
                break;
            case NavigateButton::Last:
                set.Last();
                break;
            case NavigateButton::Insert:
                set.Insert();
                break;
            case NavigateButton::Edit:
                set.Edit();
                break;
            case NavigateButton::Post:
                set.Post();
                break;
            case NavigateButton::Cancel:
                set.Cancel();
                break;
            case NavigateButton::Delete: {
                if (confirmDelete_) {
                    DialogPort* dialogs = RequireForm().App().Dialogs();
                    if (dialogs == nullptr ||
                        dialogs->Ask("Excluir registro?", DialogType::Confirmation, mbOK | mbCancel,
                                     0) != mrOk)
                        return;
                }
                set.Delete();
                break;
            }
        }
    });
}

}  // namespace platform

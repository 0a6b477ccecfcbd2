// Record navigation bar.
#include "platform/ui/DBNavigator.h"

#include "platform/data/ClientDataSet.h"
#include "platform/data/DataSource.h"

namespace platform {

DBNavigator::~DBNavigator() {
    link_.SetDataSource(nullptr);
}

void DBNavigator::SetDataSource(DataSource* source) {
    link_.SetDataSource(source);
    Changed(Property::DataSource);
}

void DBNavigator::Click(NavigateButton button) {
    if (!link_.Active() || !Usable()) return;
    RunUserEvent([this, button] {
        auto* set = link_.DataSet();
        switch (button) {
            case NavigateButton::First:
                set->First();
                break;
            case NavigateButton::Prior:
                set->Prior();
                break;
            case NavigateButton::Next:
                set->Next();
                break;
            case NavigateButton::Last:
                set->Last();
                break;
        }
    });
}

}  // namespace platform

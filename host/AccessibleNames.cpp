#include "host/AccessibleNames.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>
#include <QRect>
#include <climits>
#include <vector>

#include "host/Peer.h"
#include "host/Shell.h"
#include "platform/ui/Form.h"
#include "platform/ui/Label.h"
#include "platform/ui/PageControl.h"

namespace host {
namespace {

QRect Bounds(const platform::Control& control) {
    return {control.Left(), control.Top(), control.Width(), control.Height()};
}

// How far `label` is from naming `field`: a label just above it (starting over it) or just to
// its left on the same line; `loose` also takes any label above and to the left on the line
// above (a second field sharing the first one's label). INT_MAX when it does not name it.
int Distance(const QRect& label, const QRect& field, bool loose) {
    const int gapAbove = field.top() - (label.bottom() + 1);
    const bool above = gapAbove >= -2 && gapAbove <= 16;
    if (above && label.left() >= field.left() - 8 && label.left() <= field.right()) return gapAbove;
    const bool sameLine = label.top() < field.bottom() && label.bottom() > field.top();
    const int gapLeft = field.left() - (label.right() + 1);
    if (sameLine && gapLeft >= -2 && gapLeft <= 24) return gapLeft;
    if (loose && above && label.left() <= field.left()) return 1000 + field.left() - label.left();
    return INT_MAX;
}

const platform::Control* LabelOf(const platform::Control& field,
                                 const std::vector<const platform::Control*>& labels, bool loose) {
    const platform::Control* best = nullptr;
    int nearest = INT_MAX;
    for (const platform::Control* label : labels) {
        const int d = Distance(Bounds(*label), Bounds(field), loose);
        if (d < nearest) {
            nearest = d;
            best = label;
        }
    }
    return best;
}

// The caption of the page or form that holds `control`.
QString HolderCaption(const platform::Control& control) {
    for (const platform::Control* c = control.Parent(); c != nullptr; c = c->Parent()) {
        if (dynamic_cast<const platform::TabSheet*>(c) != nullptr ||
            dynamic_cast<const platform::Form*>(c) != nullptr)
            if (!c->Caption().empty()) return ToQt(c->Caption());
    }
    return {};
}

}  // namespace

void NameByLabels(const Shell& shell, const platform::WinControl& container) {
    std::vector<const platform::Control*> labels;
    for (const platform::Control* child : container.Controls()) {
        if (dynamic_cast<const platform::Label*>(child) != nullptr && !child->Caption().empty())
            labels.push_back(child);
    }
    for (const platform::Control* child : container.Controls()) {
        // The form's own tree, as the program composed it.
        if (const auto* inner = dynamic_cast<const platform::WinControl*>(child))
            NameByLabels(shell, *inner);
        Peer* peer = shell.PeerOf(child);
        if (peer == nullptr) continue;
        QWidget* input = peer->FocusWidget();
        const bool edit = qobject_cast<QLineEdit*>(input) != nullptr;
        const bool grid = qobject_cast<QAbstractItemView*>(input) != nullptr;
        if (!edit && !grid) continue;
        const platform::Control* label = LabelOf(*child, labels, false);
        if (label != nullptr) {
            Peer* labelPeer = shell.PeerOf(label);
            if (auto* text =
                    labelPeer != nullptr ? qobject_cast<QLabel*>(labelPeer->Widget()) : nullptr;
                text != nullptr && text->buddy() == nullptr)
                text->setBuddy(input);
        } else {
            label = LabelOf(*child, labels, true);
        }
        QString name = label != nullptr ? ToQt(label->Caption()) : HolderCaption(*child);
        input->setAccessibleName(name.remove('&').trimmed());
        if (const QString hint = peer->InputHint(); !hint.isEmpty())
            input->setAccessibleDescription(hint);
    }
}

}  // namespace host

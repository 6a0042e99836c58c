// A check box or option button whose caption is a separate label (the catalogue sets the
// label): a click on the label counts as a click on the button, as the operator expects.
#pragma once

class QAbstractButton;
class QLabel;

namespace torvik::screens {

void makeCaption(QLabel& label, QAbstractButton& button);

} // namespace torvik::screens

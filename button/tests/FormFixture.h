// A small form on the offscreen screen: a text field and three buttons in tab order, the
// window shown and active, so keys and focus behave as on a real form.
#pragma once

#include "plinth/PlinthBtn.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <array>
#include <memory>

namespace plinth::testing {

class FormFixture {
public:
    FormFixture() : window(std::make_unique<QWidget>()) {
        auto* layout = new QHBoxLayout(window.get());
        field = new QLineEdit(window.get());
        layout->addWidget(field);
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            buttons[i] = new PlinthBtn(window.get());
            buttons[i]->setCaptionStd(QStringLiteral("b%1").arg(i));
            buttons[i]->setObjectName(QStringLiteral("b%1").arg(i));
            layout->addWidget(buttons[i]);
        }
        window->show();
        window->activateWindow();
        active = QTest::qWaitForWindowActive(window.get());
    }

    // Gives the widget the focus and waits until it has it.
    bool focus(QWidget* w) {
        w->setFocus(Qt::OtherFocusReason);
        return QTest::qWaitFor([w] { return w->hasFocus(); }, 5000);
    }

    std::unique_ptr<QWidget> window;
    QLineEdit* field = nullptr;
    std::array<PlinthBtn*, 3> buttons{};
    bool active = false;
};

} // namespace plinth::testing

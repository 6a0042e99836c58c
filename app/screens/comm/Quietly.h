// The screen's handler boundary: an unexpected error ends the handler at once and silently,
// keeping what it had done, and never reaches Qt's event loop.
#pragma once

#include <QDebug>
#include <exception>

namespace torvik::screens::comm {

template <class Fn>
void quietly(Fn&& fn) noexcept {
    try {
        fn();
    } catch (const std::exception& e) {
        qDebug() << "handler ended:" << e.what();
    } catch (...) {
        qDebug() << "handler ended";
    }
}

} // namespace torvik::screens::comm

// A value or the error that prevented it. The control's calls report failures as values so
// that nothing is thrown across the automation boundary.
#pragma once

#include <optional>
#include <utility>
#include <variant>

namespace tavrin {

template <class E>
struct Unexpected {
    E error;
};

template <class E>
Unexpected<E> unexpected(E error) {
    return Unexpected<E>{std::move(error)};
}

template <class T, class E>
class [[nodiscard]] Expected {
public:
    Expected(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Expected(Unexpected<E> failure) : m_state(std::in_place_index<1>, std::move(failure.error)) {}

    bool hasValue() const { return m_state.index() == 0; }
    explicit operator bool() const { return hasValue(); }

    // Asking for the wrong alternative throws std::bad_variant_access: a programming error
    // inside the control, never something a host can provoke.
    const T& value() const { return std::get<0>(m_state); }
    const E& error() const { return std::get<1>(m_state); }

private:
    std::variant<T, E> m_state;
};

template <class E>
class [[nodiscard]] Expected<void, E> {
public:
    Expected() = default;
    Expected(Unexpected<E> failure) : m_error(std::move(failure.error)) {}

    bool hasValue() const { return !m_error.has_value(); }
    explicit operator bool() const { return hasValue(); }

    const E& error() const { return m_error.value(); }

private:
    std::optional<E> m_error;
};

} // namespace tavrin

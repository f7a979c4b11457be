#pragma once

#include <memory>
#include <type_traits>
#include <typeinfo>
#include <utility>

namespace ka
{

// Thrown by any_cast when the held type is not the one asked for.
class bad_any_cast : public std::bad_cast
{
public:
    const char* what() const noexcept override
    {
        return "ka::bad_any_cast: failed conversion using ka::any_cast";
    }
};

// Holds one value of any copyable type, or nothing. Copying an any copies the held value.
class any
{
public:
    any() = default;
    template <typename T, typename = std::enable_if_t<!std::is_same<std::decay_t<T>, any>::value>>
    any(T&& value) : m_Content(std::make_unique<Holder<std::decay_t<T>>>(std::forward<T>(value)))
    {
    }
    any(const any& other) : m_Content(other.m_Content ? other.m_Content->Clone() : nullptr) {}
    any(any&& other) noexcept = default;

    any& operator=(const any& other)
    {
        any(other).Swap(*this);
        return *this;
    }
    any& operator=(any&& other) noexcept = default;
    template <typename T, typename = std::enable_if_t<!std::is_same<std::decay_t<T>, any>::value>>
    any& operator=(T&& value)
    {
        any(std::forward<T>(value)).Swap(*this);
        return *this;
    }

    any& Swap(any& other) noexcept
    {
        m_Content.swap(other.m_Content);
        return *this;
    }

    bool empty() const { return m_Content == nullptr; }
    // typeid(void) when empty.
    const std::type_info& type() const { return m_Content ? m_Content->Type() : typeid(void); }

private:
    struct Placeholder
    {
        virtual ~Placeholder() = default;
        virtual const std::type_info& Type() const = 0;
        virtual std::unique_ptr<Placeholder> Clone() const = 0;
    };

    template <typename T> struct Holder : Placeholder
    {
        template <typename U> explicit Holder(U&& value) : held(std::forward<U>(value)) {}
        const std::type_info& Type() const override { return typeid(T); }
        std::unique_ptr<Placeholder> Clone() const override { return std::make_unique<Holder>(held); }
        T held;
    };

    std::unique_ptr<Placeholder> m_Content;

    template <typename T> friend T* any_cast(any* operand) noexcept;
};

// The held value when it is a T, else null.
template <typename T> T* any_cast(any* operand) noexcept
{
    if (operand == nullptr || operand->type() != typeid(T))
        return nullptr;
    return &static_cast<any::Holder<T>*>(operand->m_Content.get())->held;
}

template <typename T> const T* any_cast(const any* operand) noexcept
{
    return any_cast<T>(const_cast<any*>(operand));
}

// A copy of the held value when it is of the type asked for; otherwise throws bad_any_cast.
template <typename T> T any_cast(any& operand)
{
    using Value = std::remove_cv_t<std::remove_reference_t<T>>;
    Value* held = any_cast<Value>(&operand);
    if (held == nullptr)
        throw bad_any_cast();
    return static_cast<T>(*held);
}

template <typename T> T any_cast(const any& operand)
{
    using Value = std::remove_cv_t<std::remove_reference_t<T>>;
    const Value* held = any_cast<Value>(&operand);
    if (held == nullptr)
        throw bad_any_cast();
    return static_cast<T>(*held);
}

} // namespace ka

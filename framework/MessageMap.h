// Message maps: a static table per class that binds a window message, a command or a
// button click to a member function. A window looks up its own table first, then its base
// class's table; anything not found gets the window's default handling.
//
// A class with a table overrides GetMessageMap and writes the table out in it:
//
//     const MessageMap* CMyDlg::GetMessageMap() const {
//         static const MessageMapEntry entries[] = {
//             OnWmTimer<&CMyDlg::OnTimer>(),
//             OnClicked<&CMyDlg::OnStart>(IDC_START),
//             OnMessage<&CMyDlg::OnWorkDone>(WM_APP + 1),
//         };
//         static const MessageMap map(CDialog::GetMessageMap(), entries);
//         return &map;
//     }
//
// Each system message the framework knows has a binder of its own that names the
// handler's shape (OnWmTimer takes void OnTimer(UINT_PTR)); a handler of another shape,
// or one bound to the wrong message's binder, does not compile. OnMessage binds the
// program's private messages, whose handlers take the raw parameters.
#pragma once

#include <windows.h>

#include <cstddef>
#include <type_traits>

class CCmdTarget;

struct MessageMapEntry {
    UINT message;    // the window message; WM_COMMAND for commands and clicks
    bool isCommand;  // match WM_COMMAND by its id and notification code
    UINT commandId;  // control or command id, for commands
    UINT notifyCode; // BN_CLICKED (0) for button clicks and commands
    LRESULT (*invoke)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

    bool Matches(UINT msg, WPARAM wParam) const {
        if (msg != message)
            return false;
        return !isCommand || (LOWORD(wParam) == commandId && HIWORD(wParam) == notifyCode);
    }
};

class MessageMap {
public:
    template <std::size_t N>
    MessageMap(const MessageMap* base, const MessageMapEntry (&entries)[N])
        : m_base(base), m_entries(entries), m_count(N) {}

    // The first matching entry of this table, else of the base tables; null if none.
    const MessageMapEntry* Find(UINT message, WPARAM wParam) const;

private:
    const MessageMap* m_base;
    const MessageMapEntry* m_entries;
    std::size_t m_count;
};

// Anything that has a message map: windows and the application object.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // Runs the handler mapped to the message, if any. True when one ran.
    bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

protected:
    virtual const MessageMap* GetMessageMap() const { return nullptr; }
};

// Declares the class's own table; the table itself is written out in GetMessageMap.
#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    const MessageMap* GetMessageMap() const override;

namespace message_map_detail {

template <class Method> struct ClassOf;
template <class R, class C, class... Args> struct ClassOf<R (C::*)(Args...)> { using type = C; };

// True when Handler is a member function of the shape Signature, e.g. void(UINT_PTR).
template <auto Handler, class Signature>
inline constexpr bool kIsHandler =
    std::is_same_v<decltype(Handler), Signature ClassOf<decltype(Handler)>::type::*>;

// The handler shapes, and how each is called with the message's parameters.
template <class T> LRESULT Call(T& target, void (T::*handler)(), WPARAM, LPARAM) {
    (target.*handler)();
    return 0;
}
template <class T> LRESULT Call(T& target, BOOL (T::*handler)(), WPARAM, LPARAM) {
    return (target.*handler)();
}
template <class T> LRESULT Call(T& target, HICON (T::*handler)(), WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>((target.*handler)());
}
template <class T> LRESULT Call(T& target, void (T::*handler)(UINT_PTR), WPARAM wParam, LPARAM) {
    (target.*handler)(wParam);
    return 0;
}
template <class T> LRESULT Call(T& target, void (T::*handler)(BOOL), WPARAM wParam, LPARAM) {
    (target.*handler)(static_cast<BOOL>(wParam));
    return 0;
}
template <class T>
LRESULT Call(T& target, void (T::*handler)(UINT, LPARAM), WPARAM wParam, LPARAM lParam) {
    (target.*handler)(static_cast<UINT>(wParam), lParam);
    return 0;
}
template <class T>
LRESULT Call(T& target, LRESULT (T::*handler)(WPARAM, LPARAM), WPARAM wParam, LPARAM lParam) {
    return (target.*handler)(wParam, lParam);
}

template <auto Handler> LRESULT Invoke(CCmdTarget* target, WPARAM wParam, LPARAM lParam) {
    using T = typename ClassOf<decltype(Handler)>::type;
    return Call<T>(*static_cast<T*>(target), Handler, wParam, lParam);
}

template <auto Handler> MessageMapEntry Entry(UINT message) {
    return {message, false, 0, 0, &Invoke<Handler>};
}

} // namespace message_map_detail

// Binds a private message such as WM_APP + n: LRESULT OnMessage(WPARAM, LPARAM).
template <auto Handler> MessageMapEntry OnMessage(UINT message) {
    static_assert(message_map_detail::kIsHandler<Handler, LRESULT(WPARAM, LPARAM)>,
                  "a private message's handler is LRESULT (WPARAM, LPARAM)");
    return message_map_detail::Entry<Handler>(message);
}

// WM_TIMER: void OnTimer(UINT_PTR nIDEvent).
template <auto Handler> MessageMapEntry OnWmTimer() {
    static_assert(message_map_detail::kIsHandler<Handler, void(UINT_PTR)>,
                  "a WM_TIMER handler is void (UINT_PTR timer id)");
    return message_map_detail::Entry<Handler>(WM_TIMER);
}

// WM_SYSCOMMAND: void OnSysCommand(UINT nID, LPARAM lParam).
template <auto Handler> MessageMapEntry OnWmSysCommand() {
    static_assert(message_map_detail::kIsHandler<Handler, void(UINT, LPARAM)>,
                  "a WM_SYSCOMMAND handler is void (UINT command, LPARAM)");
    return message_map_detail::Entry<Handler>(WM_SYSCOMMAND);
}

// WM_PAINT: void OnPaint().
template <auto Handler> MessageMapEntry OnWmPaint() {
    static_assert(message_map_detail::kIsHandler<Handler, void()>, "a WM_PAINT handler is void ()");
    return message_map_detail::Entry<Handler>(WM_PAINT);
}

// WM_QUERYDRAGICON: HICON OnQueryDragIcon(), the icon shown while the minimized window is
// dragged.
template <auto Handler> MessageMapEntry OnWmQueryDragIcon() {
    static_assert(message_map_detail::kIsHandler<Handler, HICON()>,
                  "a WM_QUERYDRAGICON handler is HICON ()");
    return message_map_detail::Entry<Handler>(WM_QUERYDRAGICON);
}

// WM_QUERYENDSESSION: BOOL OnQueryEndSession(), FALSE to hold off the end of the session.
template <auto Handler> MessageMapEntry OnWmQueryEndSession() {
    static_assert(message_map_detail::kIsHandler<Handler, BOOL()>,
                  "a WM_QUERYENDSESSION handler is BOOL ()");
    return message_map_detail::Entry<Handler>(WM_QUERYENDSESSION);
}

// WM_ENDSESSION: void OnEndSession(BOOL ending), TRUE when the session ends.
template <auto Handler> MessageMapEntry OnWmEndSession() {
    static_assert(message_map_detail::kIsHandler<Handler, void(BOOL)>,
                  "a WM_ENDSESSION handler is void (BOOL ending)");
    return message_map_detail::Entry<Handler>(WM_ENDSESSION);
}

// WM_DESTROY: void OnDestroy(), while the window's children still exist.
template <auto Handler> MessageMapEntry OnWmDestroy() {
    static_assert(message_map_detail::kIsHandler<Handler, void()>,
                  "a WM_DESTROY handler is void ()");
    return message_map_detail::Entry<Handler>(WM_DESTROY);
}

// WM_CLOSE: void OnClose().
template <auto Handler> MessageMapEntry OnWmClose() {
    static_assert(message_map_detail::kIsHandler<Handler, void()>, "a WM_CLOSE handler is void ()");
    return message_map_detail::Entry<Handler>(WM_CLOSE);
}

// Binds the BN_CLICKED notification of the button with this control id: void OnClick().
template <auto Handler> MessageMapEntry OnClicked(UINT controlId) {
    static_assert(message_map_detail::kIsHandler<Handler, void()>, "a click handler is void ()");
    return {WM_COMMAND, true, controlId, BN_CLICKED, &message_map_detail::Invoke<Handler>};
}

// Binds a command such as ID_HELP (WM_COMMAND with this id and notification code 0):
// void OnCommand().
template <auto Handler> MessageMapEntry OnCommand(UINT commandId) {
    static_assert(message_map_detail::kIsHandler<Handler, void()>, "a command handler is void ()");
    return {WM_COMMAND, true, commandId, 0, &message_map_detail::Invoke<Handler>};
}

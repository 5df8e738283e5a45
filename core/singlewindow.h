#pragma once

#include <QPointer>

// The one instance of a window class, created on first use and forgotten when
// the window is deleted (closing with Qt::WA_DeleteOnClose or delete). A
// window class derives from SingleWindow<itself> and befriends it when its
// constructor is private.
template <class W>
class SingleWindow {
public:
    static W& instance()
    {
        if (!s_instance)
            s_instance = new W;
        return *s_instance;
    }
    // True while the window exists (loaded), shown or hidden.
    static bool isLoaded() { return !s_instance.isNull(); }
    // Deletes the window for good, if it exists.
    static void unload() { delete s_instance.data(); }

protected:
    // For a window that closes with a deferred delete: from now on it no
    // longer counts as loaded and the next instance() makes a new one.
    static void release() { s_instance = nullptr; }

private:
    static inline QPointer<W> s_instance;
};

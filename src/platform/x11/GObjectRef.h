#pragma once

#include <glib-object.h>

#include <QString>
#include <utility>

// One reference to a GObject (an AT-SPI object, interface, state set or match rule), given
// back when the holder goes; copies take references of their own.
template <typename T>
class GObjectRef {
public:
    GObjectRef() = default;
    // Takes over a reference the caller owns (what every libatspi getter returns).
    explicit GObjectRef(T* adopted) : object_(adopted) {}
    // Takes a reference of its own to an object someone else holds.
    static GObjectRef borrowed(T* object) {
        if (object) {
            g_object_ref(object);
        }
        return GObjectRef(object);
    }
    ~GObjectRef() { reset(); }

    GObjectRef(const GObjectRef& other) : object_(other.object_) {
        if (object_) {
            g_object_ref(object_);
        }
    }
    GObjectRef& operator=(const GObjectRef& other) {
        GObjectRef copy(other);
        std::swap(object_, copy.object_);
        return *this;
    }
    GObjectRef(GObjectRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    GObjectRef& operator=(GObjectRef&& other) noexcept {
        GObjectRef taken(std::move(other));
        std::swap(object_, taken.object_);
        return *this;
    }

    T* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

    void reset() {
        if (object_) {
            g_object_unref(std::exchange(object_, nullptr));
        }
    }

private:
    T* object_ = nullptr;
};

// The error slot of one libatspi call, freed with the holder.
class GErrorSlot {
public:
    GErrorSlot() = default;
    ~GErrorSlot() { clear(); }
    GErrorSlot(const GErrorSlot&) = delete;
    GErrorSlot& operator=(const GErrorSlot&) = delete;

    // For the call's GError** argument.
    GError** out() { return &error_; }
    explicit operator bool() const { return error_ != nullptr; }
    void clear() {
        if (error_) {
            g_error_free(std::exchange(error_, nullptr));
        }
    }

private:
    GError* error_ = nullptr;
};

// A block that libatspi hands over for g_free (a string, a range, a rectangle).
template <typename T>
class GFreed {
public:
    explicit GFreed(T* adopted) : data_(adopted) {}
    ~GFreed() { g_free(data_); }
    GFreed(const GFreed&) = delete;
    GFreed& operator=(const GFreed&) = delete;

    T* get() const { return data_; }
    T* operator->() const { return data_; }
    explicit operator bool() const { return data_ != nullptr; }

private:
    T* data_;
};

// A string libatspi hands over, as text; empty for null.
inline QString takeString(gchar* text) {
    const GFreed<gchar> owned(text);
    return text ? QString::fromUtf8(text) : QString();
}

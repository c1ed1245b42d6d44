#include <gtest/gtest.h>

#include "platform/x11/GObjectRef.h"

namespace {
struct Probe {
    GObject* object = static_cast<GObject*>(g_object_new(G_TYPE_OBJECT, nullptr));
    bool finalized = false;
    Probe() {
        g_object_weak_ref(
            object, [](gpointer done, GObject*) { *static_cast<bool*>(done) = true; }, &finalized);
    }
    guint references() const { return finalized ? 0 : object->ref_count; }
};
}  // namespace

// Every holder gives back exactly the references it holds, however it was made or moved.
TEST(GObjectRef, GivesBackWhatItHolds) {
    Probe probe;
    {
        GObjectRef<GObject> adopted(probe.object);
        EXPECT_EQ(probe.references(), 1u);
        {
            const auto borrowed = GObjectRef<GObject>::borrowed(probe.object);
            GObjectRef<GObject> copy = adopted;
            EXPECT_EQ(probe.references(), 3u);
            GObjectRef<GObject> moved = std::move(copy);
            EXPECT_FALSE(copy);
            EXPECT_EQ(probe.references(), 3u);
            moved = adopted;
            EXPECT_EQ(probe.references(), 3u);
            moved.reset();
            EXPECT_EQ(probe.references(), 2u);
        }
        EXPECT_EQ(probe.references(), 1u);
        EXPECT_FALSE(probe.finalized);
    }
    EXPECT_TRUE(probe.finalized);
    EXPECT_FALSE(GObjectRef<GObject>::borrowed(nullptr));
}

TEST(GObjectRef, FreesErrorsAndStrings) {
    GErrorSlot error;
    EXPECT_FALSE(error);
    g_set_error_literal(error.out(), g_quark_from_static_string("test"), 1, "failed");
    EXPECT_TRUE(error);
    error.clear();
    EXPECT_FALSE(error);
    EXPECT_EQ(takeString(g_strdup("привет")), QString::fromUtf8("привет"));
    EXPECT_EQ(takeString(nullptr), QString());
}

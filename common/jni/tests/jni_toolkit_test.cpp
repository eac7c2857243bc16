// The JNI toolkit against the strict stand-in VM, called as native code would
// call it (each test's cache objects are its own, so nothing carries over).
#include <gtest/gtest.h>

#include <stdexcept>

#include "jnihost/jni_host.h"
#include "mirravon/jni/export_frame.h"
#include "mirravon/jni/references.h"
#include "mirravon/jni/strings.h"

namespace {

namespace cls = jnihost::classes;
using mirravon::jni::CachedClass;
using mirravon::jni::CachedMethodId;
using mirravon::jni::LocalRef;
using mirravon::jni::PendingException;
using mirravon::jni::StringChars;

constexpr const char kThing[] = "toolkit/Thing";

class JniToolkit : public ::testing::Test {
protected:
    void SetUp() override { vm.declareClass(kThing).constructor("(I)V"); }
    JNIEnv* env() { return vm.env(); }
    jnihost::JniHost vm;
};

TEST_F(JniToolkit, LocalRefIsDeletedAtTheEndUnlessReleased) {
    jobject kept = nullptr;
    jobject dropped = vm.newString(u"dropped");
    {
        LocalRef<jobject> drop(env(), dropped);
        LocalRef<jobject> keep(env(), vm.newString(u"kept"));
        LocalRef<jobject> moved(std::move(drop));
        kept = keep.release();
    }
    EXPECT_EQ(vm.refKind(dropped), jnihost::RefKind::Invalid);
    EXPECT_EQ(vm.refKind(kept), jnihost::RefKind::Local);
    EXPECT_EQ(vm.jniCallCount("DeleteLocalRef"), 1);
}

TEST_F(JniToolkit, StringCharsAreGivenBackOnEveryWayOut) {
    const jstring text = vm.newString(u"abc");
    try {
        StringChars chars(env(), text);
        ASSERT_TRUE(chars);
        EXPECT_EQ(chars.get()[2], u'c');
        throw std::bad_alloc();  // as a copy that cannot be allocated after the take
    } catch (const std::bad_alloc&) {}
    EXPECT_EQ(vm.jniCallCount("ReleaseStringChars"), 1);

    // A VM that cannot lend them: nothing to give back, its error pending.
    vm.failCall("GetStringChars");
    {
        StringChars chars(env(), text);
        EXPECT_FALSE(chars);
    }
    EXPECT_EQ(vm.jniCallCount("ReleaseStringChars"), 1);
    EXPECT_EQ(vm.pendingExceptionClass(), cls::kOutOfMemoryError);
    vm.clearException();
    EXPECT_TRUE(vm.violations().empty());
}

TEST_F(JniToolkit, ClassAndConstructorAreLookedUpOnceAndAgainAfterTheVmClearedTheClass) {
    CachedClass thing(kThing);
    CachedMethodId ctor(thing, "<init>", "(I)V");
    for (int i = 0; i < 2; ++i) {
        const CachedClass::Ref found = thing.get(env());
        ASSERT_TRUE(found);
        EXPECT_NE(ctor.get(env(), found), nullptr);
    }
    EXPECT_EQ(vm.findClassCount(kThing), 1);
    EXPECT_EQ(vm.methodLookupCount(kThing, "<init>", "(I)V"), 1);
    EXPECT_EQ(vm.liveWeakGlobalRefCount(), 1);

    CachedMethodId late(thing, "<init>", "(I)V");
    const CachedClass::Ref before = thing.get(env());
    vm.clearWeakReferences(vm.findClass(kThing));
    const CachedClass::Ref renewed = thing.get(env());
    ASSERT_TRUE(renewed);
    EXPECT_EQ(vm.liveWeakGlobalRefCount(), 1) << "the cleared reference is deleted";
    // An id found on the class of the earlier load is not kept for the new one.
    EXPECT_NE(late.get(env(), before), nullptr);
    EXPECT_NE(late.get(env(), renewed), nullptr);
    EXPECT_NE(ctor.get(env(), renewed), nullptr);
    EXPECT_NE(late.get(env(), renewed), nullptr);
    EXPECT_EQ(vm.findClassCount(kThing), 2);
    EXPECT_EQ(vm.methodLookupCount(kThing, "<init>", "(I)V"), 4);
    EXPECT_TRUE(vm.violations().empty());
}

TEST_F(JniToolkit, MissingClassOrMethodLeavesTheVmErrorAndIsLookedUpAgainNextTime) {
    CachedClass later("toolkit/Later");
    EXPECT_FALSE(later.get(env()));
    EXPECT_EQ(vm.pendingExceptionClass(), cls::kNoClassDefFoundError);
    vm.clearException();

    vm.declareClass("toolkit/Later").constructor("()V");
    const CachedClass::Ref found = later.get(env());
    ASSERT_TRUE(found);
    CachedMethodId missing(later, "<init>", "(J)V");
    EXPECT_EQ(missing.get(env(), found), nullptr);
    EXPECT_EQ(vm.pendingExceptionClass(), cls::kNoSuchMethodError);
    vm.clearException();
    EXPECT_EQ(vm.findClassCount("toolkit/Later"), 2);
}

TEST_F(JniToolkit, ThrowNewLeavesTheClassWithItsMessageButNeverReplacesAPendingOne) {
    mirravon::jni::ThrowNew(env(), cls::kRuntimeException, "first");
    mirravon::jni::ThrowNew(env(), cls::kNullPointerException, "second");
    EXPECT_EQ(vm.pendingExceptionClass(), cls::kRuntimeException);
    EXPECT_EQ(vm.pendingExceptionMessage(), "first");
    vm.clearException();

    mirravon::jni::ThrowNew(env(), "toolkit/Missing", "x");
    EXPECT_EQ(vm.pendingExceptionClass(), cls::kNoClassDefFoundError);
    vm.clearException();
    EXPECT_TRUE(vm.violations().empty());
}

// Both libraries' conversions: cut at U+0000 on the way in, exact on the way
// out, and a JNI call that fails stops them with the VM's error pending.
TEST_F(JniToolkit, StringsConvertBothWaysAndAFailedJniCallStopsThem) {
    namespace j = mirravon::jni;
    const jstring text = vm.newString(std::u16string(u"ab\0cd", 5));
    EXPECT_EQ(j::Utf16Text(env(), text), std::wstring(L"ab"));
    EXPECT_EQ(j::AnsiText(env(), text), std::string("ab"));
    EXPECT_EQ(j::Utf16Text(env(), vm.newString(u"")), std::wstring());
    EXPECT_FALSE(j::Utf16Text(env(), nullptr));
    EXPECT_FALSE(j::AnsiText(env(), nullptr));
    EXPECT_EQ(vm.stringChars(j::NewJavaString(env(), std::wstring_view(L"x\0y", 3))), std::u16string(u"x\0y", 3));
    EXPECT_EQ(vm.stringChars(j::NewJavaStringFromAnsi(env(), "C:\\tmp")), u"C:\\tmp");
    EXPECT_EQ(vm.stringChars(j::NewJavaStringFromAnsi(env(), nullptr)), u"");

    for (const char* function : {"GetStringLength", "GetStringChars"}) {
        SCOPED_TRACE(function);
        vm.failCall(function);
        EXPECT_THROW(j::AnsiText(env(), text), PendingException);
        EXPECT_EQ(vm.pendingExceptionClass(), cls::kOutOfMemoryError);
        vm.clearException();
    }
    vm.failCall("NewString");
    EXPECT_THROW(j::NewJavaStringFromAnsi(env(), "x"), PendingException);
    EXPECT_EQ(vm.pendingExceptionClass(), cls::kOutOfMemoryError);
    vm.clearException();
    EXPECT_EQ(vm.jniCallCount("ReleaseStringChars"), 3);
    EXPECT_TRUE(vm.violations().empty());
}

TEST(JniExportFrame, FailureRunsTheRaiserInsideTheCatchAndGivesTheFailedResult) {
    int raised = 0;
    const auto kindOf = [&] {
        try {
            throw;
        } catch (unsigned long code) {
            raised = static_cast<int>(code);
        }
    };
    EXPECT_EQ(mirravon::jni::ExportFrame(
                  -1, [] { return 7; }, kindOf),
              7);
    EXPECT_EQ(raised, 0);
    EXPECT_EQ(mirravon::jni::ExportFrame(
                  -1, []() -> int { throw 5ul; }, kindOf),
              -1);
    EXPECT_EQ(raised, 5);
    mirravon::jni::ExportFrame([] { throw 6ul; }, kindOf);
    EXPECT_EQ(raised, 6);

    // A JNI call that failed has left the VM's error: nothing is raised over it.
    EXPECT_EQ(mirravon::jni::ExportFrame(
                  -1, []() -> int { throw PendingException{}; }, [&] { raised = -2; }),
              -1);
    EXPECT_EQ(raised, 6);
}

}  // namespace

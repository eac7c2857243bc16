// The test host itself: JNI used rightly passes, each kind of misuse is caught.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "jnihost/jni_host.h"
#include "mirravon_test/test_main.h"

namespace {

std::string g_probePath;

#define PROBE(name) "Java_probe_Probe_" #name

class JniHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        vm.declareClass("probe/Probe")
            .constructor("()V")
            .field("count", "I")
            .field("name", "Ljava/lang/String;")
            .method("twice", "(I)I", [](jnihost::JniHost&, jobject, const std::vector<jnihost::Value>& args) {
                return jnihost::Value::Int(args.at(0).i() * 2);
            });
        vm.declareClass("probe/CodedException", jnihost::classes::kRuntimeException)
            .constructor("(I[Ljava/lang/String;)V");
        self = vm.newObject("probe/Probe");
    }

    // Runs `body` and returns the violations it caused, instead of failing the test.
    template <typename F> std::vector<std::string> violationsOf(F body) {
        jnihost::ViolationCapture capture(vm);
        body();
        return capture.take();
    }

    static bool mentions(const std::vector<std::string>& found, const std::string& text) {
        for (const auto& v : found)
            if (v.find(text) != std::string::npos) return true;
        for (const auto& v : found) std::printf("  (violation seen: %s)\n", v.c_str());
        return false;
    }

    jnihost::JniHost vm;
    jnihost::Library dll{vm, g_probePath};
    jobject self = nullptr;
};

TEST_F(JniHostTest, LoadsByPathAndCallsPlainStdcallExports) {
    ASSERT_TRUE(dll.loaded());
    auto add = dll.function<int(__stdcall*)(int, int)>("probe_add");
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add(2, 40), 42);
    EXPECT_EQ(dll.find("_probe_add@8"), nullptr);  // --kill-at: only the undecorated name
}

TEST_F(JniHostTest, StringsRoundTripThroughTheDll) {
    const std::u16string text = u"a\u00e9\u4e2d\U0001F600";
    jstring out = vm.call<jstring>(dll, PROBE(echo), self, vm.newString(text));
    EXPECT_EQ(vm.stringChars(out), text);
    jstring utf = vm.call<jstring>(dll, PROBE(utf), self, vm.newString(std::u16string(u"x\0y", 3)));
    EXPECT_EQ(vm.stringChars(utf), std::u16string(u"x\0y", 3));  // modified UTF-8 keeps U+0000
    EXPECT_EQ(vm.stringUtf8(vm.newStringUtf8("caf\xC3\xA9")), "caf\xC3\xA9");
    EXPECT_EQ(vm.violations().size(), 0u);
}

TEST_F(JniHostTest, FailCallFailsOnceAfterTheCallsItSkips) {
    vm.failCall("NewString", 1);
    EXPECT_NE(vm.call<jstring>(dll, PROBE(echo), self, vm.newStringUtf8("a")), nullptr);
    EXPECT_EQ(vm.call<jstring>(dll, PROBE(echo), self, vm.newStringUtf8("b")), nullptr);
    EXPECT_EQ(vm.pendingExceptionClass(), jnihost::classes::kOutOfMemoryError);
    vm.clearException();
    EXPECT_NE(vm.call<jstring>(dll, PROBE(echo), self, vm.newStringUtf8("c")), nullptr);
}

TEST_F(JniHostTest, ArraysFieldsMethodsAndFrames) {
    jbyteArray out = vm.call<jbyteArray>(dll, PROBE(reversed), self, vm.newByteArray(std::string("ab\0c", 4)));
    EXPECT_EQ(vm.byteArrayBytes(out), std::string("c\0ba", 4));
    vm.setField(self, "name", jnihost::Value::Object(vm.newStringUtf8("n")));
    EXPECT_EQ(vm.stringUtf8(vm.call<jstring>(dll, PROBE(readField), self)), "n");
    EXPECT_EQ(vm.call<jint>(dll, PROBE(callTwice), self, jint{21}), 42);
    EXPECT_EQ(vm.call<jint>(dll, PROBE(frames), self), 4);
    EXPECT_EQ(vm.violations().size(), 0u);
}

TEST_F(JniHostTest, ExceptionWithConstructorArgumentsReachesTheTest) {
    vm.call<void>(dll, PROBE(throwCoded), self, jint{4}, vm.newStringUtf8("A"), vm.newStringUtf8("B"));
    ASSERT_TRUE(vm.exceptionPending());
    EXPECT_EQ(vm.pendingExceptionClass(), "probe/CodedException");
    jthrowable ex = vm.pendingException();
    EXPECT_EQ(vm.constructorDescriptor(ex), "(I[Ljava/lang/String;)V");
    auto args = vm.constructorArgs(ex);
    ASSERT_EQ(args.size(), 2u);
    EXPECT_EQ(args[0].i(), 4);
    auto texts = vm.arrayElements(args[1].l());
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(vm.stringUtf8(texts[0]), "A");
    EXPECT_EQ(vm.stringUtf8(texts[1]), "B");
    vm.clearException();
    EXPECT_FALSE(vm.exceptionPending());
    EXPECT_EQ(vm.jniCallCount("Throw"), 1);
}

TEST_F(JniHostTest, MissingClassLeavesNoClassDefFoundErrorPending) {
    jnihost::JniHost bare;  // without probe/CodedException
    bare.declareClass("probe/Probe").constructor("()V");
    jnihost::Library lib(bare, g_probePath);
    jobject obj = bare.newObject("probe/Probe");
    bare.call<void>(lib, PROBE(throwCoded), obj, jint{1}, bare.newStringUtf8("A"), bare.newStringUtf8("B"));
    EXPECT_EQ(bare.pendingExceptionClass(), jnihost::classes::kNoClassDefFoundError);
    EXPECT_EQ(bare.pendingExceptionMessage(), "probe/CodedException");
    EXPECT_EQ(bare.findClassCount("probe/CodedException"), 1);
    bare.clearException();
}

TEST_F(JniHostTest, WeakReferenceReadsClearedAfterClearing) {
    jobject target = vm.newObject("probe/Probe");
    EXPECT_FALSE(vm.call<jboolean>(dll, PROBE(weakCleared), self, target));
    EXPECT_EQ(vm.liveWeakGlobalRefCount(), 1);
    vm.clearWeakReferences(target);
    EXPECT_TRUE(vm.call<jboolean>(dll, PROBE(weakCleared), self, target));
    jweak mine = vm.newWeakGlobalRef(target);
    EXPECT_FALSE(vm.isSameObject(mine, nullptr));
    vm.clearAllWeakReferences();
    EXPECT_TRUE(vm.isSameObject(mine, nullptr));
    EXPECT_TRUE(vm.isSameObject(target, target));  // strong references stay
}

TEST_F(JniHostTest, EachKindOfMisuseIsAViolation) {
    EXPECT_TRUE(mentions(violationsOf([&] { vm.call<void>(dll, PROBE(callWithPending), self); }),
                         "FindClass: called with an exception pending"));
    vm.clearException();
    EXPECT_TRUE(mentions(violationsOf([&] { vm.call<jlong>(dll, PROBE(wrongFieldType), self); }),
                         "GetLongField: field count of type I used with an accessor of type J"));
    EXPECT_TRUE(
        mentions(violationsOf([&] { vm.call<void>(dll, PROBE(releaseNeverObtained), self, vm.newStringUtf8("s")); }),
                 "release of a buffer never obtained"));
    EXPECT_TRUE(
        mentions(violationsOf([&] { vm.call<jclass>(dll, PROBE(dottedClass), self); }), "class name with dots"));
    EXPECT_EQ(vm.pendingExceptionClass(), jnihost::classes::kNoClassDefFoundError);
    vm.clearException();
    EXPECT_TRUE(violationsOf([&] { vm.call<jboolean>(dll, PROBE(cacheLocal), self); }).empty());
    EXPECT_TRUE(mentions(violationsOf([&] { vm.call<jboolean>(dll, PROBE(cacheLocal), self); }),
                         "local reference used after its frame ended"));
    EXPECT_TRUE(mentions(violationsOf([&] { vm.call<void>(dll, PROBE(leakBuffer), self, vm.newStringUtf8("s")); }),
                         "without releasing"));
    EXPECT_TRUE(mentions(violationsOf([&] { vm.call<void>(dll, PROBE(overrun), self, vm.newByteArray("abc")); }),
                         "past the end"));
    EXPECT_TRUE(
        mentions(violationsOf([&] { vm.call<void>(dll, PROBE(unimplemented), self); }), "GetDirectBufferAddress"));
    EXPECT_TRUE(
        mentions(violationsOf([&] { vm.call<void>(dll, PROBE(leaveFramePushed), self); }), "local frame still pushed"));
    EXPECT_TRUE(mentions(violationsOf([&] { vm.call<void>(dll, PROBE(deleteLocalAsGlobal), self); }),
                         "DeleteGlobalRef: not a global reference"));
    EXPECT_TRUE(mentions(violationsOf([&] { vm.call<void>(dll, PROBE(wrongMethodType), self); }),
                         "method twice(I)I called through an accessor of type V"));
    EXPECT_TRUE(mentions(violationsOf([&] { vm.call<void>(dll, PROBE(storeWrongType), self); }),
                         "SetObjectField: object of probe/Probe stored in field name"));
}

TEST_F(JniHostTest, NativeCodeFindsItsEnvironmentThroughTheVm) {
    EXPECT_EQ(vm.call<jint>(dll, PROBE(envFromVm), self), 1);
}

TEST_F(JniHostTest, LocalReferenceOfAnotherThreadIsAViolation) {
    jobject mine = vm.newObject("probe/Probe");
    jobject global = vm.newGlobalRef(mine);
    std::vector<std::string> found;
    std::string fromGlobal;
    {
        jnihost::ViolationCapture capture(vm);
        std::thread other([&] {
            vm.className(mine);  // a local reference of the main thread
            fromGlobal = vm.className(global);
        });
        other.join();
        found = capture.take();
    }
    EXPECT_TRUE(mentions(found, "local reference of another thread"));
    EXPECT_EQ(fromGlobal, "probe/Probe");
}

}  // namespace

int main(int argc, char** argv) { return mirravon_test::RunTestsWithPaths(argc, argv, "PROBE_DLL", {&g_probePath}); }

// JNI wrappers, text conversion and Java exceptions, in the stand-in VM.
#include <gtest/gtest.h>

#include <string>

#include "jnihost/jni_host.h"
#include "jnisupport/java_exception.h"
#include "jnisupport/java_object.h"
#include "jnisupport/java_string.h"
#include "mirravon_test/debugger_capture.h"
#include "mirravon_test/test_main.h"
#include "mirravon_test/win32_test_support.h"

namespace {

using jnihost::classes::kDrovixIntegrationException;
using jnisupport::CJavaClass;
using jnisupport::CJavaObject;
using jnisupport::CJavaString;
using jnisupport::CTextBuffer;
std::string g_probePath;

using mirravon_test::SystemTextOf;

// Wrappers and text, called directly with the calling thread's JNIEnv.
class TextTest : public ::testing::Test {
protected:
    jnihost::JniHost vm;
    JNIEnv* env = vm.env();
};

TEST_F(TextTest, JavaStringReadsAsAnsiText) {
    CJavaString abc(env, vm.newString(u"abc"));
    ASSERT_NE(abc.chars(), nullptr);
    EXPECT_STREQ(abc.chars(), "abc");
    EXPECT_EQ(abc.chars(), abc.chars());  // read once, kept
    EXPECT_EQ(vm.jniCallCount("GetStringChars"), 1);

    CJavaString empty(env, vm.newString(u""));
    ASSERT_NE(empty.chars(), nullptr) << "an empty string is an empty text, not none";
    EXPECT_STREQ(empty.chars(), "");

    CJavaString none(env, static_cast<jstring>(nullptr));
    EXPECT_EQ(none.chars(), nullptr);
    EXPECT_EQ(none.object(), nullptr);

    CJavaString zero(env, vm.newString(std::u16string(u"ab\0cd", 5)));
    EXPECT_STREQ(zero.chars(), "ab");
    EXPECT_EQ(vm.violations().size(), 0u);
}

TEST_F(TextTest, CharactersOutsideTheCodePageBecomeTheDefaultCharacter) {
    CPINFO info{};
    ASSERT_TRUE(::GetCPInfo(CP_ACP, &info));
    if (::GetACP() == CP_UTF8) GTEST_SKIP() << "the ANSI code page is UTF-8 here: every character fits";
    // U+4E2D is outside every single-byte code page.
    if (info.MaxCharSize != 1) GTEST_SKIP() << "multi-byte ANSI code page " << ::GetACP();
    CJavaString text(env, vm.newString(u"a\u4e2db"));
    const std::string expected = std::string("a") + reinterpret_cast<const char*>(info.DefaultChar) + "b";
    EXPECT_STREQ(text.chars(), expected.c_str());
}

TEST_F(TextTest, NewJavaStringsFromUnits) {
    jobject made = nullptr;
    {
        CJavaString s(env, L"xyz", 3);
        made = s.object();
    }  // the wrapper is gone, its object is still good
    EXPECT_EQ(vm.stringUtf8(made), "xyz");
    CJavaString none(env, nullptr, 0);
    ASSERT_NE(none.object(), nullptr);
    EXPECT_EQ(vm.stringChars(none.object()), u"");
    EXPECT_EQ(vm.findClassCount("java/lang/String"), 2);
    EXPECT_EQ(vm.jniCallCount("DeleteLocalRef"), 0);
}

TEST_F(TextTest, TextBufferConvertsOnDemand) {
    CTextBuffer empty("", 0);
    ASSERT_NE(empty.wide(), nullptr);
    EXPECT_EQ(std::wstring(empty.wide()), L"");
    CTextBuffer some("abcdef", 3);
    EXPECT_EQ(std::wstring(some.wide()), L"abc");
    EXPECT_STREQ(some.narrow(), "abc");
    CTextBuffer wide(L"w\u00e9", 0);
    EXPECT_EQ(wide.wide(), wide.wide());
    ASSERT_NE(wide.narrow(), nullptr);
    CTextBuffer none(static_cast<const char*>(nullptr), 0);
    EXPECT_EQ(none.wide(), nullptr);
    EXPECT_EQ(none.narrow(), nullptr);
}

TEST_F(TextTest, ClassAndObjectWrappers) {
    CJavaObject noObject(env, static_cast<jobject>(nullptr));
    EXPECT_EQ(noObject.object(), nullptr);
    EXPECT_EQ(noObject.javaClass().javaClass(), nullptr);
    EXPECT_EQ(vm.jniCallCount("GetObjectClass"), 0);

    jobject str = vm.newString(u"s");
    CJavaObject wrapped(env, str);
    EXPECT_TRUE(vm.isSameObject(wrapped.javaClass().javaClass(), vm.findClass("java/lang/String")));

    CJavaClass missing(env, "no/such/Class");
    EXPECT_EQ(missing.javaClass(), nullptr);
    EXPECT_EQ(vm.pendingExceptionClass(), jnihost::classes::kNoClassDefFoundError);
    vm.clearException();
    EXPECT_EQ(vm.jniCallCount("DeleteLocalRef"), 0);
}

// Throwing, through a DLL loaded for each test so that its cache starts empty.
class ThrowTest : public ::testing::Test {
protected:
    explicit ThrowTest(std::vector<std::string> except = {}) {
        vm.declareClientClasses(except);
        vm.declareClass("probe/Support");
    }
    void SetUp() override { ASSERT_TRUE(dll.loaded()); }

    jnihost::JniHost vm;
    jnihost::Library dll{vm, g_probePath};
    jclass support() { return vm.findClass("probe/Support"); }

    std::vector<std::string> texts(jobject array) {
        std::vector<std::string> out;
        for (jobject e : vm.arrayElements(array)) out.push_back(e ? vm.stringUtf8(e) : "<null>");
        return out;
    }
    jobjectArray strings(const std::vector<const char*>& items) {
        std::vector<jobject> refs;
        for (const char* s : items) refs.push_back(s ? vm.newStringUtf8(s) : nullptr);
        return vm.newObjectArray("java/lang/String", refs);
    }
};

#define PROBE(name) "Java_probe_Support_" #name

TEST_F(ThrowTest, UserErrorReachesJavaAsCodeAndTextsInOrder) {
    vm.call<void>(dll, PROBE(throwUser), support(), jint{4}, strings({"A", "B"}));
    ASSERT_EQ(vm.pendingExceptionClass(), kDrovixIntegrationException);
    jobject ex = vm.pendingException();
    EXPECT_EQ(vm.constructorDescriptor(ex), "(I[Ljava/lang/String;)V");
    auto args = vm.constructorArgs(ex);
    ASSERT_EQ(args.size(), 2u);
    EXPECT_EQ(args[0].i(), 4);
    EXPECT_EQ(vm.className(args[1].l()), "[Ljava/lang/String;");
    EXPECT_EQ(texts(args[1].l()), (std::vector<std::string>{"A", "B"}));
    vm.clearException();

    vm.call<void>(dll, PROBE(throwUser), support(), jint{1}, strings({}));
    auto empty = vm.constructorArgs(vm.pendingException());
    EXPECT_EQ(vm.arrayLength(empty.at(1).l()), 0);
    vm.clearException();

    // A null text keeps its place as an empty one.
    vm.call<void>(dll, PROBE(throwUser), support(), jint{5}, strings({"A", nullptr, "C"}));
    EXPECT_EQ(texts(vm.constructorArgs(vm.pendingException()).at(1).l()), (std::vector<std::string>{"A", "", "C"}));
    vm.clearException();
}

TEST_F(ThrowTest, UserErrorTextsOutliveTheWrappersTheyCameFrom) {
    vm.call<void>(dll, PROBE(throwUserFromWrapper), support(), vm.newStringUtf8("script.drx"));
    auto args = vm.constructorArgs(vm.pendingException());
    ASSERT_EQ(args.size(), 2u);
    EXPECT_EQ(args[0].i(), 3);
    EXPECT_EQ(texts(args[1].l()), (std::vector<std::string>{"script.drx", ""}));
    vm.clearException();
}

TEST_F(ThrowTest, SystemErrorReachesJavaWithTheSystemsText) {
    vm.call<jint>(dll, PROBE(throwSystem), support(), jint{2});
    ASSERT_EQ(vm.pendingExceptionClass(), kDrovixIntegrationException);
    const std::string expected = SystemTextOf(2);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(vm.pendingExceptionMessage(), expected);
    EXPECT_EQ(expected.substr(expected.size() - 2), "\r\n") << "the line end stays";
    vm.clearException();

    vm.call<jint>(dll, PROBE(throwSystem), support(), jint{0x2000FFFF});
    EXPECT_EQ(vm.pendingExceptionMessage(), "System error 536936447");
    vm.clearException();

    // A text with an insert is taken as it stands instead of failing.
    vm.call<jint>(dll, PROBE(throwSystem), support(), jint{ERROR_BAD_EXE_FORMAT});
    EXPECT_EQ(vm.pendingExceptionMessage(), SystemTextOf(ERROR_BAD_EXE_FORMAT));
    vm.clearException();

    EXPECT_EQ(vm.call<jstring>(dll, PROBE(throwOther), support()), nullptr);
    EXPECT_EQ(vm.pendingExceptionMessage(), SystemTextOf(ERROR_INTERNAL_ERROR));
    vm.clearException();
}

TEST_F(ThrowTest, ClassAndConstructorsAreLookedUpOnceAndRenewedAfterUnloading) {
    for (int i = 0; i < 2; ++i) {
        vm.call<jint>(dll, PROBE(throwSystem), support(), jint{5});
        EXPECT_EQ(vm.pendingExceptionClass(), kDrovixIntegrationException);
        vm.clearException();
        vm.call<void>(dll, PROBE(throwUser), support(), jint{4}, strings({"A"}));
        EXPECT_EQ(vm.pendingExceptionClass(), kDrovixIntegrationException);
        vm.clearException();
    }
    EXPECT_EQ(vm.findClassCount(kDrovixIntegrationException), 1);
    EXPECT_EQ(vm.methodLookupCount(kDrovixIntegrationException, "<init>", "(Ljava/lang/String;)V"), 1);
    EXPECT_EQ(vm.methodLookupCount(kDrovixIntegrationException, "<init>", "(I[Ljava/lang/String;)V"), 1);
    EXPECT_EQ(vm.findClassCount(jnihost::classes::kString), 1) << "the texts' class comes from the cache too";
    EXPECT_EQ(vm.liveWeakGlobalRefCount(), 2);

    // A long list of texts holds no reference per text while the exception is made.
    vm.call<void>(dll, PROBE(throwUserTexts), support(), jint{200});
    EXPECT_EQ(vm.arrayLength(vm.constructorArgs(vm.pendingException()).at(1).l()), 200);
    EXPECT_LT(vm.lastCallLocalRefPeak(), 16);
    vm.clearException();

    vm.clearWeakReferences(vm.findClass(kDrovixIntegrationException));  // as if the class were unloaded
    vm.call<jint>(dll, PROBE(throwSystem), support(), jint{5});
    EXPECT_EQ(vm.pendingExceptionClass(), kDrovixIntegrationException);
    EXPECT_EQ(vm.pendingExceptionMessage(), SystemTextOf(5));
    vm.clearException();
    EXPECT_EQ(vm.findClassCount(kDrovixIntegrationException), 2);
    EXPECT_EQ(vm.methodLookupCount(kDrovixIntegrationException, "<init>", "(Ljava/lang/String;)V"), 2);
}

TEST_F(ThrowTest, ExceptionAlreadyPendingIsLeftAsItIs) {
    vm.call<void>(dll, PROBE(throwAfterPending), support());
    EXPECT_EQ(vm.pendingExceptionClass(), jnihost::classes::kNoClassDefFoundError);
    EXPECT_EQ(vm.pendingExceptionMessage(), "no/such/Class");
    vm.clearException();
}

class MissingClassTest : public ThrowTest {
protected:
    MissingClassTest() : ThrowTest({kDrovixIntegrationException}) {}
};

TEST_F(MissingClassTest, VmErrorReachesJavaInstead) {
    vm.call<jint>(dll, PROBE(throwSystem), support(), jint{2});
    EXPECT_EQ(vm.pendingExceptionClass(), jnihost::classes::kNoClassDefFoundError);
    EXPECT_EQ(vm.pendingExceptionMessage(), kDrovixIntegrationException);
    vm.clearException();
    vm.call<void>(dll, PROBE(throwUser), support(), jint{4}, strings({"A"}));
    EXPECT_EQ(vm.pendingExceptionClass(), jnihost::classes::kNoClassDefFoundError);
    vm.clearException();
}

class MissingConstructorTest : public ::testing::Test {
protected:
    MissingConstructorTest() {
        vm.declareClass(kDrovixIntegrationException, jnihost::classes::kRuntimeException)
            .constructor("(Ljava/lang/String;)V");
        vm.declareClass("probe/Support");
    }
    jnihost::JniHost vm;
    jnihost::Library dll{vm, g_probePath};
};

TEST_F(MissingConstructorTest, NoSuchMethodErrorReachesJava) {
    vm.call<void>(dll, PROBE(throwUser), vm.findClass("probe/Support"), jint{4},
                  vm.newObjectArray("java/lang/String", {}));
    EXPECT_EQ(vm.pendingExceptionClass(), jnihost::classes::kNoSuchMethodError);
    vm.clearException();
}

TEST_F(ThrowTest, NarrowTextBecomesAJavaString) {
    jstring s = vm.call<jstring>(dll, PROBE(narrowToJava), support(), vm.newByteArray("C:\\tmp"));
    EXPECT_EQ(vm.stringUtf8(s), "C:\\tmp");
    jstring empty = vm.call<jstring>(dll, PROBE(narrowToJava), support(), vm.newByteArray(""));
    EXPECT_EQ(vm.stringChars(empty), u"");
}

constexpr const char kLinesMode[] = "--missing-class-lines";

std::string LongClassName() { return "long/" + std::string(300, 'x'); }

// Run as a debuggee by the test below: the lines a missing class writes.
int WriteMissingClassLines() {
    jnihost::JniHost vm;
    CJavaClass missing(vm.env(), "no/such/Class");
    vm.clearException();
    CJavaClass longer(vm.env(), LongClassName().c_str());
    vm.clearException();
    CJavaClass found(vm.env(), "java/lang/String");
    return missing.javaClass() == nullptr && found.javaClass() != nullptr ? 0 : 1;
}

TEST(CJavaClassOutput, MissingClassWritesOneLineCutToItsBuffer) {
    const mirravon_test::DebuggeeRun run = mirravon_test::RunSelfUnderDebugger(kLinesMode, 60000);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0u);
    const std::string head = "Cannot find class: ";
    ASSERT_EQ(run.lines.size(), 2u);
    EXPECT_EQ(run.lines[0], head + "no/such/Class\r\n");
    EXPECT_EQ(run.lines[1], head + LongClassName().substr(0, 255 - head.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == kLinesMode) return WriteMissingClassLines();
    return mirravon_test::RunTestsWithPaths(argc, argv, "SUPPORT_PROBE_DLL", {&g_probePath});
}

// The Java bindings of the pipe channel, called as a Java VM calls them.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <future>
#include <string>

#include "jnihost/jni_host.h"
#include "mirravon/unique_owner.h"
#include "mirravon_test/caller.h"
#include "mirravon_test/scratch_dir.h"
#include "mirravon_test/test_main.h"
#include "mirravon_test/win32_test_support.h"

namespace {

using jnihost::Value;
namespace cls = jnihost::classes;

std::string g_dllPath;

#define PIPE(name) "Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_NamedPipe_" #name
#define CLIENT(name) "Java_com_varnex_quorel_mirravon_testmanagement_drovix_common_NamedPipeClient_" #name

using mirravon_test::SystemTextOf;

class PipeBindings : public ::testing::Test {
protected:
    PipeBindings() { vm.declareClientClasses(); }
    void SetUp() override { ASSERT_TRUE(dll.loaded()); }

    std::string Name(const char* what) {
        return std::string("\\\\.\\pipe\\mirravon-jni-") + what + "-" + std::to_string(::GetCurrentProcessId());
    }
    jobject Server(const std::string& name, mirravon_test::Caller where = {}) {
        return Made(cls::kNamedPipe, PIPE(native_1createNamedPipe), name, where);
    }
    jobject Client(const std::string& name, mirravon_test::Caller where = {}) {
        return Made(cls::kNamedPipeClient, CLIENT(native_1createNamedPipeClient), name, where);
    }
    // A new `className` object on which the export `create` has made the pipe `name`.
    jobject Made(const char* className, const char* create, const std::string& name, mirravon_test::Caller where) {
        const mirravon_test::CallerTrace trace(where);
        jobject pipe = vm.newObject(className);
        vm.call<void>(dll, create, pipe, vm.newStringUtf8(name));
        EXPECT_FALSE(vm.exceptionPending()) << vm.pendingExceptionMessage();
        return pipe;
    }

    jnihost::JniHost vm;
    jnihost::Library dll{vm, g_dllPath};
};

TEST_F(PipeBindings, MessagesCrossAsByteArraysOfTheirLength) {
    const std::string name = Name("bytes");
    jobject server = vm.newGlobalRef(Server(name));
    jlong stored = vm.getField(server, "hPipe").j();
    EXPECT_GT(stored, 0);

    // The server end waits and reads on a thread of its own, as a Java thread would.
    auto reader = std::async(std::launch::async, [&] {
        std::vector<std::string> got;
        EXPECT_EQ(vm.call<jint>(dll, PIPE(native_1waitForConnection), server), 1);
        for (int i = 0; i < 2; ++i) {
            jbyteArray message = vm.call<jbyteArray>(dll, PIPE(native_1readMessage), server);
            EXPECT_FALSE(vm.exceptionPending());
            got.push_back(message ? vm.byteArrayBytes(message) : "<null>");
        }
        return got;
    });
    jobject client = Client(name);
    EXPECT_EQ(vm.call<jlong>(dll, CLIENT(native_1writeMessage), client, vm.newByteArray(std::string("ab\0de", 5))), 5);
    EXPECT_NE(vm.call<jint>(dll, CLIENT(native_1close), client), 0);
    EXPECT_EQ(vm.getField(client, "hPipeClientEnd").j(), 0) << "closing clears the field";

    ASSERT_EQ(reader.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    const std::vector<std::string> got = reader.get();
    EXPECT_EQ(got[0], std::string("ab\0de", 5));
    EXPECT_EQ(got[1], "") << "after the client closed: an empty array, not null";
    EXPECT_NE(vm.call<jint>(dll, PIPE(native_1close), server), 0);
    EXPECT_EQ(vm.getField(server, "hPipe").j(), 0);
}

// The system hands a closed handle's value to the next object it opens: a
// second close, a read or a write through the closed object must not reach it.
TEST_F(PipeBindings, ClosedEndsReachNoOtherPipe) {
    const std::string name = Name("reused");
    jobject closed = Server(Name("closed"));
    EXPECT_NE(vm.call<jint>(dll, PIPE(native_1close), closed), 0);
    jobject server = Server(name);  // under Wine it gets the closed value

    EXPECT_EQ(vm.call<jint>(dll, PIPE(native_1close), closed), 0);
    EXPECT_EQ(vm.call<jbyteArray>(dll, PIPE(native_1readMessage), closed), nullptr);
    EXPECT_EQ(vm.pendingExceptionClass(), cls::kDrovixIntegrationException);
    EXPECT_EQ(vm.pendingExceptionMessage(), SystemTextOf(ERROR_INVALID_HANDLE));
    vm.clearException();

    jobject client = Client(name);  // the new pipe is still there
    EXPECT_NE(vm.call<jint>(dll, CLIENT(native_1close), client), 0);
    EXPECT_EQ(vm.call<jint>(dll, CLIENT(native_1close), client), 0);
    vm.call<jlong>(dll, CLIENT(native_1writeMessage), client, vm.newByteArray("abc"));
    EXPECT_EQ(vm.pendingExceptionClass(), cls::kDrovixIntegrationException);
    EXPECT_EQ(vm.pendingExceptionMessage(), SystemTextOf(ERROR_INVALID_HANDLE));
    vm.clearException();
    EXPECT_NE(vm.call<jint>(dll, PIPE(native_1close), server), 0);
}

TEST_F(PipeBindings, FailedCreateLeavesTheFieldAndAnException) {
    jobject client = vm.newObject(cls::kNamedPipeClient);
    vm.setField(client, "hPipeClientEnd", Value::Long(0x1234));
    vm.call<void>(dll, CLIENT(native_1createNamedPipeClient), client, vm.newStringUtf8(Name("nobody")));
    ASSERT_EQ(vm.pendingExceptionClass(), cls::kDrovixIntegrationException);
    EXPECT_EQ(vm.pendingExceptionMessage(), SystemTextOf(ERROR_FILE_NOT_FOUND));
    vm.clearException();
    EXPECT_EQ(vm.getField(client, "hPipeClientEnd").j(), 0x1234);

    jobject server = vm.newObject(cls::kNamedPipe);
    vm.setField(server, "hPipe", Value::Long(-7));
    vm.call<void>(dll, PIPE(native_1createNamedPipe), server, vm.newStringUtf8("not-a-pipe-name"));
    EXPECT_EQ(vm.pendingExceptionClass(), cls::kDrovixIntegrationException);
    vm.clearException();
    EXPECT_EQ(vm.getField(server, "hPipe").j(), -7);
}

TEST_F(PipeBindings, AnOrdinaryFileIsNotTakenForAPipe) {
    mirravon_test::ScratchDir dir(L"pipe-jni-file");
    const std::wstring path = dir / L"not-a-pipe.txt";
    auto contents = [&] {
        char data[16] = {};
        DWORD n = 0;
        mirravon::unique_hfile file(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ::ReadFile(file.get(), data, sizeof data, &n, nullptr);
        return std::string(data, n);
    };
    {
        mirravon::unique_hfile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD n = 0;
        ASSERT_TRUE(::WriteFile(file.get(), "ORIGINAL", 8, &n, nullptr));
    }
    jobject client = vm.newObject(cls::kNamedPipeClient);
    vm.call<void>(dll, CLIENT(native_1createNamedPipeClient), client,
                  vm.newStringUtf8(dir.ansiPath() + "\\not-a-pipe.txt"));
    EXPECT_EQ(vm.pendingExceptionClass(), cls::kDrovixIntegrationException);
    EXPECT_EQ(vm.pendingExceptionMessage(), SystemTextOf(ERROR_BAD_PIPE));
    vm.clearException();
    EXPECT_EQ(vm.getField(client, "hPipeClientEnd").j(), 0);
    // A caller that writes all the same reaches no file.
    vm.call<jlong>(dll, CLIENT(native_1writeMessage), client, vm.newByteArray("HELLO"));
    vm.clearException();
    EXPECT_EQ(contents(), "ORIGINAL");
}

TEST_F(PipeBindings, ReadFailureGivesNullAndAnException) {
    jobject server = vm.newObject(cls::kNamedPipe);
    vm.setField(server, "hPipe", Value::Long(0x7ffffff0));  // no such handle
    EXPECT_EQ(vm.call<jbyteArray>(dll, PIPE(native_1readMessage), server), nullptr);
    EXPECT_EQ(vm.pendingExceptionClass(), cls::kDrovixIntegrationException);
    EXPECT_EQ(vm.pendingExceptionMessage(), SystemTextOf(ERROR_INVALID_HANDLE));
    vm.clearException();
    EXPECT_EQ(vm.call<jint>(dll, PIPE(native_1waitForConnection), server), 0);
    EXPECT_FALSE(vm.exceptionPending()) << "waiting reports failure by its result only";
}

TEST_F(PipeBindings, HandleIsTheLowHalfOfTheLongField) {
    // (HANDLE)-1 is the process's own pseudo handle: closing it succeeds, so the
    // close result shows which handle the binding used.
    jobject server = vm.newObject(cls::kNamedPipe);
    vm.setField(server, "hPipe", Value::Long(-1));
    EXPECT_NE(vm.call<jint>(dll, PIPE(native_1close), server), 0);
    vm.setField(server, "hPipe", Value::Long(static_cast<jlong>(0x12345678FFFFFFFFLL)));
    EXPECT_NE(vm.call<jint>(dll, PIPE(native_1close), server), 0) << "only the low 32 bits count";
    vm.setField(server, "hPipe", Value::Long(static_cast<jlong>(0xFFFFFFFF7FFFFFF0LL)));
    EXPECT_EQ(vm.call<jint>(dll, PIPE(native_1close), server), 0);

    // Storing sign-extends: whatever the handle, the field reads back as LONG_PTR.
    jobject made = Server(Name("store"));
    const jlong field = vm.getField(made, "hPipe").j();
    EXPECT_EQ(field, static_cast<jlong>(static_cast<LONG_PTR>(static_cast<std::int32_t>(field))));
    // The long is the handle itself, also in a 64-bit process: the system keeps
    // kernel handles within 32 significant bits, so nothing was cut.
    EXPECT_EQ(::GetFileType(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(field))),
              static_cast<DWORD>(FILE_TYPE_PIPE));
    EXPECT_NE(vm.call<jint>(dll, PIPE(native_1close), made), 0);
}

TEST_F(PipeBindings, SubclassesFindTheFieldOnTheirSuperclass) {
    vm.declareClass("app/MyPipe", cls::kNamedPipe).constructor("()V");
    jobject pipe = vm.newObject("app/MyPipe");
    vm.call<void>(dll, PIPE(native_1createNamedPipe), pipe, vm.newStringUtf8(Name("sub")));
    EXPECT_FALSE(vm.exceptionPending());
    EXPECT_NE(vm.getField(pipe, "hPipe").j(), 0);
    EXPECT_NE(vm.call<jint>(dll, PIPE(native_1close), pipe), 0);
}

// A VM that cannot hand over the array's bytes: no count, no write, its own error.
TEST_F(PipeBindings, WriteWithoutTheArraysBytesIsZeroWithTheVmsError) {
    const std::string name = Name("no-bytes");
    jobject server = Server(name);
    jobject client = Client(name);
    vm.failCall("GetByteArrayElements");
    EXPECT_EQ(vm.call<jlong>(dll, CLIENT(native_1writeMessage), client, vm.newByteArray("abc")), 0);
    EXPECT_EQ(vm.pendingExceptionClass(), cls::kOutOfMemoryError);
    vm.clearException();
    EXPECT_NE(vm.call<jint>(dll, CLIENT(native_1close), client), 0);
    EXPECT_NE(vm.call<jint>(dll, PIPE(native_1close), server), 0);
}

TEST_F(PipeBindings, WriteToANonPipeReleasesTheArrayAndThrows) {
    jobject client = vm.newObject(cls::kNamedPipeClient);
    vm.setField(client, "hPipeClientEnd", Value::Long(0x7ffffff0));
    vm.call<jlong>(dll, CLIENT(native_1writeMessage), client, vm.newByteArray("abc"));
    EXPECT_EQ(vm.pendingExceptionClass(), cls::kDrovixIntegrationException);
    vm.clearException();
    // The strict host has already failed the test if the array's buffer was kept.
}

}  // namespace

int main(int argc, char** argv) {
    return mirravon_test::RunTestsWithPaths(argc, argv, "TAVRODVXJNI_DLL", {&g_dllPath});
}

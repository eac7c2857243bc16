/* Machine-dependent JNI types and linkage for Windows (MinGW), 32- and 64-bit.
   x86 JNI calls are __stdcall; x86-64 has one calling convention, so there is
   nothing to name. long is 32 bits on both (LLP64 on x64). */
#ifndef MIRRAVON_JNI_MD_H
#define MIRRAVON_JNI_MD_H

#ifndef JNIEXPORT
#define JNIEXPORT __declspec(dllexport)
#endif
#define JNIIMPORT __declspec(dllimport)
#if defined(_WIN64)
#define JNICALL
#else
#define JNICALL __stdcall
#endif

typedef long jint;       /* 32 bits on Win32 and Win64 */
typedef long long jlong; /* 64 bits */
typedef signed char jbyte;

#endif

/* Machine-dependent JNI types and linkage for 32-bit Windows (MinGW). */
#ifndef MIRRAVON_JNI_MD_H
#define MIRRAVON_JNI_MD_H

#ifndef JNIEXPORT
#define JNIEXPORT __declspec(dllexport)
#endif
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;            /* 32 bits on Win32 */
typedef long long jlong;      /* 64 bits */
typedef signed char jbyte;

#endif

// The type every procedure that the system calls must have. Each window,
// dialog and subclass procedure, each enumeration callback and each thread
// entry is checked beside its definition:
//
//   static_assert(std::is_same_v<decltype(&Procedure), win::NoThrow<WNDPROC>>);
//
// that is, exactly the system's pointer type, and noexcept: no exception may
// unwind into the system's code that called it. On i686 the calling
// convention (CALLBACK and WINAPI are __stdcall) is part of the type; a
// __cdecl procedure cast to the system's type would compile and only crash
// there, in the shipped 32-bit exe that the tests cannot run. So no cast
// ever makes a procedure fit.
//
// std::is_same_v, not std::is_convertible_v: GCC 12 reports a __cdecl
// pointer convertible to a __stdcall one although the conversion itself does
// not compile.
#pragma once

#include <windows.h>

#include <type_traits>

namespace epiloom::win {

template <typename Procedure>
struct NoThrowOf;
template <typename Result, typename... Parameters>
struct NoThrowOf<Result (*)(Parameters...)> {
  using type = Result (*)(Parameters...) noexcept;
};
#if defined(__i386__)
template <typename Result, typename... Parameters>
struct NoThrowOf<Result(__stdcall*)(Parameters...)> {
  using type = Result(__stdcall*)(Parameters...) noexcept;
};
#endif

// The system's procedure pointer type `Procedure`, declared noexcept.
template <typename Procedure>
using NoThrow = typename NoThrowOf<Procedure>::type;

// The check tells the calling conventions apart where they differ.
#if defined(__i386__)
static_assert(std::is_same_v<LRESULT(CALLBACK*)(HWND, UINT, WPARAM, LPARAM) noexcept, NoThrow<WNDPROC>>);
static_assert(!std::is_same_v<LRESULT (*)(HWND, UINT, WPARAM, LPARAM) noexcept, NoThrow<WNDPROC>>);
static_assert(!std::is_same_v<LRESULT(CALLBACK*)(HWND, UINT, WPARAM, LPARAM), NoThrow<WNDPROC>>);
#endif

}  // namespace epiloom::win

// File: viewer_common/hosting/hresult.h
//
// Status codes of the in-process server layer, with the values and meaning
// of their COM namesakes: negative means failure, S_FALSE is a success that
// says "nothing done" or "no".
//
//   hosting::HRESULT hr = object->QueryInterface(iid, &p);
//   if (hosting::Failed(hr)) return hr;
#pragma once

#include <cstdint>

namespace hosting {

using HRESULT = int32_t;

constexpr HRESULT MakeCode(uint32_t v) { return static_cast<HRESULT>(v); }

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = MakeCode(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = MakeCode(0x80004002u);
inline constexpr HRESULT E_POINTER = MakeCode(0x80004003u);
inline constexpr HRESULT E_FAIL = MakeCode(0x80004005u);
inline constexpr HRESULT E_UNEXPECTED = MakeCode(0x8000FFFFu);
inline constexpr HRESULT E_OUTOFMEMORY = MakeCode(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = MakeCode(0x80070057u);
inline constexpr HRESULT E_ACCESSDENIED = MakeCode(0x80070005u);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = MakeCode(0x80040110u);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = MakeCode(0x80040111u);
inline constexpr HRESULT SELFREG_E_CLASS = MakeCode(0x80040201u);
inline constexpr HRESULT SELFREG_E_TYPELIB = MakeCode(0x80040200u);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = MakeCode(0x80020003u);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = MakeCode(0x80020005u);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = MakeCode(0x80020006u);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = MakeCode(0x8002000Eu);
inline constexpr HRESULT DISP_E_OVERFLOW = MakeCode(0x8002000Au);
inline constexpr HRESULT CONNECT_E_NOCONNECTION = MakeCode(0x80040200u);
inline constexpr HRESULT CONNECT_E_CANNOTCONNECT = MakeCode(0x80040202u);
inline constexpr HRESULT STG_E_READFAULT = MakeCode(0x8003001Eu);
inline constexpr HRESULT STG_E_CANTSAVE = MakeCode(0x80030103u);

constexpr bool Succeeded(HRESULT hr) { return hr >= 0; }
constexpr bool Failed(HRESULT hr) { return hr < 0; }

}  // namespace hosting

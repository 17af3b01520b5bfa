#pragma once
#include "framework/Win32.h"

// The WinHTTP request object's interface, declared here because MinGW ships no httprequest.h. Methods are in vtable
// order; the enumerations of the original declaration are passed as 32-bit integers.
inline constexpr CLSID kClsidWinHttpRequest = {
    0x2087c2f4, 0x2cef, 0x4953, {0xa8, 0xab, 0x66, 0x77, 0x9b, 0x67, 0x04, 0x95}};
inline constexpr IID kIidIWinHttpRequest = {
    0x016fe2ec, 0xb2c8, 0x45f8, {0xb2, 0x3b, 0x39, 0xe5, 0x3a, 0x75, 0x39, 0x6b}};

struct IWinHttpRequest : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE SetProxy(LONG proxySetting, VARIANT proxyServer, VARIANT bypassList) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCredentials(BSTR userName, BSTR password, LONG flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Open(BSTR method, BSTR url, VARIANT async) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetRequestHeader(BSTR header, BSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetResponseHeader(BSTR header, BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAllResponseHeaders(BSTR* headers) = 0;
    virtual HRESULT STDMETHODCALLTYPE Send(VARIANT body) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Status(LONG* status) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_StatusText(BSTR* status) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ResponseText(BSTR* body) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ResponseBody(VARIANT* body) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ResponseStream(VARIANT* body) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Option(LONG option, VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Option(LONG option, VARIANT value) = 0;
    virtual HRESULT STDMETHODCALLTYPE WaitForResponse(VARIANT timeout, VARIANT_BOOL* succeeded) = 0;
    virtual HRESULT STDMETHODCALLTYPE Abort() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTimeouts(LONG resolveTimeout, LONG connectTimeout, LONG sendTimeout,
                                                  LONG receiveTimeout) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetClientCertificate(BSTR clientCertificate) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAutoLogonPolicy(LONG autoLogonPolicy) = 0;
};

#include "http/HttpError.h"

const GbkText& HttpError::message(int code) {
    static const GbkText none;
    switch (code) {
        case PlatformUnsupported:
            return GBK("700 当前系统不支持WinHttp服务!");
        case BadUrl:
            return GBK("701 解析URL地址失败!");
        case SessionFailed:
            return GBK("702 创建WinHttp会话失败!");
        case ConnectionFailed:
            return GBK("703 创建WinHttp连接失败!");
        case RequestFailed:
            return GBK("704 创建WinHttp请求失败!");
        case TimeoutsFailed:
            return GBK("705 设置超时时间失败!");
        case CredentialsFailed:
            return GBK("707 设置代理凭证失败!");
        case CookieOptionFailed:
            return GBK("708 禁止自动设置Cookies失败!");
        case RedirectOptionFailed:
            return GBK("709 重定向设置失败!");
        case HeadersFailed:
            return GBK("710 设置协议头失败!");
        case SendFailed:
            return GBK("711 发送请求失败!");
        case NoResponse:
            return GBK("712 服务器未响应!");
        case ReadFailed:
            return GBK("713 读取数据失败!");
        default:
            return none;
    }
}

// Sets the program's code page for one test and puts the previous one back.
#pragma once

#include "platform/AnsiText.h"

struct CodePageScope {
    explicit CodePageScope(vcl::CodePage cp) : saved(vcl::AnsiCodePage()) { vcl::SetAnsiCodePage(cp); }
    ~CodePageScope() { vcl::SetAnsiCodePage(saved); }
    CodePageScope(const CodePageScope&) = delete;
    CodePageScope& operator=(const CodePageScope&) = delete;
    vcl::CodePage saved;
};

// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Bounded text operations for the fixed-size text buffers of the program: every copy,
// append and format truncates to the buffer and keeps it terminated.

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

inline void CopyText(char *dst, std::size_t size, const char *src)
{
    if (size == 0)
        return;
    const std::size_t n = src ? strnlen(src, size - 1) : 0;
    std::memmove(dst, src ? src : "", n);
    dst[n] = '\0';
}

inline void AppendText(char *dst, std::size_t size, const char *src)
{
    if (size == 0)
        return;
    const std::size_t used = strnlen(dst, size - 1);
    CopyText(dst + used, size - used, src);
}

__attribute__((format(printf, 3, 4))) inline void FormatText(char *dst, std::size_t size, const char *format, ...)
{
    if (size == 0)
        return;
    va_list args;
    va_start(args, format);
    std::vsnprintf(dst, size, format, args);
    va_end(args);
}

template <std::size_t N> void CopyText(char (&dst)[N], const char *src) { CopyText(dst, N, src); }
template <std::size_t N> void AppendText(char (&dst)[N], const char *src) { AppendText(dst, N, src); }

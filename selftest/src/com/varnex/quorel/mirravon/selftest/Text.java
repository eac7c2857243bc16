package com.varnex.quorel.mirravon.selftest;

import java.util.List;

/** How values are shown: the same in every console, whatever its code page. */
final class Text {
    /** Longer texts (a PATH, say) are shown by their start and their length. */
    private static final int SHOWN = 120;

    private Text() {}

    /** Characters outside printable ASCII as \\uXXXX, so no console changes or drops them. */
    static String ascii(String s) {
        StringBuilder b = new StringBuilder(s.length());
        for (int i = 0; i < s.length(); i++) {
            char c = s.charAt(i);
            if (c >= 0x20 && c < 0x7f) {
                b.append(c);
            } else {
                b.append("\\u").append(hex4(c));
            }
        }
        return b.toString();
    }

    static String quoted(String s) {
        if (s == null) return "null";
        if (s.length() <= SHOWN) return "\"" + s + "\"";
        return "\"" + s.substring(0, SHOWN) + "...\" (" + s.length() + " characters)";
    }

    static String thrown(Throwable t) {
        String name = t.getClass().getName();
        name = name.substring(name.lastIndexOf('.') + 1);
        String message = t.getMessage();
        String shown = "threw " + name + (message == null || message.isEmpty() ? "" : ": " + message.trim());
        if (t instanceof UnsatisfiedLinkError) shown += " (the library has no export for this method)";
        return shown;
    }

    static String joined(List<String> parts, String separator) {
        StringBuilder b = new StringBuilder();
        for (String part : parts) {
            if (b.length() > 0) b.append(separator);
            b.append(part);
        }
        return b.toString();
    }

    static String orNotSet(String value) {
        return value == null ? "(not set)" : value;
    }

    /** Four hex digits, zero-padded. */
    static String hex4(int value) {
        String digits = Integer.toHexString(value & 0xffff);
        return "0000".substring(digits.length()) + digits;
    }
}

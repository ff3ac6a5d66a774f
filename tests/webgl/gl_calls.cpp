// gl_calls.cpp: tracing render_frame with apitrace and comparing calls; see
// gl_calls.h.
#include "gl_calls.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

bool traceRenderFrame(const std::string &apitrace, const std::string &renderFrame, const std::string &outDir,
                      const std::string &caseName, GlCalls &calls) {
    std::string trace = outDir + "/" + caseName + ".trace";
    std::string command = apitrace + " trace -o " + trace + " " + renderFrame + " " + outDir + "/" + caseName +
                          "-traced.png " + caseName + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return false;
    FILE *pipe = popen((apitrace + " dump --call-nos=no --color=never " + trace).c_str(), "r");
    if (!pipe) return false;
    bool inside = false;
    int groups = 0;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe)) {
        line[std::strcspn(line, "\n")] = '\0';
        if (std::strncmp(line, "glPopDebugGroup(", 16) == 0 && inside) inside = false, groups++;
        if (inside) calls.push_back(line);
        if (std::strncmp(line, "glPushDebugGroup(", 17) == 0) inside = true;
    }
    return pclose(pipe) == 0 && groups == 2;
}

GlCalls callLines(const std::string &log) {
    GlCalls lines;
    std::istringstream text(log);
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
}

// True when two calls read the same, their numbers equal to a relative 1e-6,
// about one unit in the last of the 7 digits both sides print a float with:
// the same float prints the same, one a rounding away may print a unit apart.
static bool sameCall(const std::string &a, const std::string &b) {
    const char *p = a.c_str(), *q = b.c_str();
    while (*p && *q) {
        bool numberStarts = (p == a.c_str() || !(std::isalnum((unsigned char)p[-1]) || p[-1] == '_')) &&
                            (std::isdigit((unsigned char)*p) || (*p == '-' && std::isdigit((unsigned char)p[1])));
        if (numberStarts) {
            char *pEnd, *qEnd;
            double x = std::strtod(p, &pEnd), y = std::strtod(q, &qEnd);
            if (qEnd == q || std::fabs(x - y) > 1e-6 * std::fmax(std::fabs(x), std::fabs(y))) return false;
            p = pEnd, q = qEnd;
        } else if (*p++ != *q++) {
            return false;
        }
    }
    return *p == *q;
}

std::string firstCallDifference(const GlCalls &mesa, const GlCalls &subset) {
    long at = 0, n = (long)std::min(mesa.size(), subset.size());
    while (at < n && sameCall(mesa[at], subset[at])) at++;
    if (at == n && mesa.size() == subset.size()) return "";
    std::string report = "call " + std::to_string(at) + " of " + std::to_string(mesa.size()) + " differs\n";
    for (const GlCalls *side : {&mesa, &subset}) {
        report += side == &mesa ? "Mesa, through apitrace:\n" : "the subset's call log:\n";
        for (long i = std::max(0L, at - 3); i < std::min((long)side->size(), at + 4); i++) {
            report += (i == at ? "  > " : "    ") + (*side)[i] + "\n";
        }
    }
    return report;
}

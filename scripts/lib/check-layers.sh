#!/usr/bin/env bash
# The layers' includes run one way: ui uses core, core its pure rules, the rules the standard
# library alone; the bar's header is the bar's own (and its program's). src is one public include
# folder, so the build alone would not stop an include that runs back up. Prints every such
# include and exits non-zero when there is one.
set -euo pipefail
cd "$(dirname "$0")/../.."
status=0
forbid() { # what, folder, Perl pattern of the include line
    local hits
    hits=$(grep -rnP --include='*.h' --include='*.cpp' --include='*.in' "$3" "$2" || true)
    if [ -n "$hits" ]; then
        echo "layers: $1:" >&2
        echo "$hits" >&2
        status=1
    fi
}
forbid "core includes a unit of ui or program" src/core '^\s*#\s*include\s+"(ui|program)/'
forbid "a pure rule includes more than the standard library and the rules" src/core/rules \
    '^\s*#\s*include\s+("(?!core/rules/)[^"]*"|<windows\.h>)'
forbid "ui includes the program" src/ui '^\s*#\s*include\s+"program/'
hits=$(grep -rlP '^\s*#\s*include\s+"ui/MAIN\.h"' src bench | grep -vP '^src/(ui/MAIN[A-Za-z]*\.cpp|program/)' || true)
if [ -n "$hits" ]; then
    echo "layers: only the bar and its program include ui/MAIN.h:" >&2
    echo "$hits" >&2
    status=1
fi
exit $status

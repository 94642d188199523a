#!/bin/sh
# Checks what the host libraries export (each library given): in the global
# namespace only the M classes (members, type information, virtual tables)
# and operators; besides those the host's own namespaces vesk and standin;
# no SDK symbol (qelsdk_600) and no standard-library instance.
status=0
for lib in "$@"; do
  if ! nm -D --defined-only "$lib" > /dev/null; then
    echo "cannot read $lib"
    status=1
    continue
  fi
  if nm -D --defined-only "$lib" | grep -q qelsdk_600; then
    echo "$lib exports SDK symbols:"
    nm -DC --defined-only "$lib" | grep qelsdk_600 | head -20
    status=1
  fi
  stray=$(nm -DC --defined-only "$lib" | sed 's/^[0-9a-fA-F]* [A-Za-z] //' |
    grep -v -E '^(M[A-Za-z0-9_]*::|operator|(typeinfo|typeinfo name|vtable|guard variable) for (M[A-Za-z0-9_]*|vesk::|standin::)|([a-z]+ )?(vesk|standin)::|__odr_asan|_init$|_fini$|_edata$|_end$|__bss_start$)')
  if [ -n "$stray" ]; then
    echo "$lib exports symbols outside the M classes and the host's namespaces:"
    echo "$stray" | head -20
    status=1
  fi
done
exit $status

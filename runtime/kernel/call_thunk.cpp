// CallWithArguments: a call with a run-time argument count and either calling convention.
//
// The arguments are pushed last to first, the function is called, and the stack pointer is then
// restored from this frame, so it does not matter whether the callee removed its arguments
// (__stdcall) or left them for the caller (__cdecl). esi and edi are callee-saved and kept.
#include "kernel/gui_request.h"

asm(R"(
    .text
    .globl _CallWithArguments
    .def _CallWithArguments; .scl 2; .type 32; .endef
_CallWithArguments:
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    pushl %edi
    movl 12(%ebp), %esi
    movl 16(%ebp), %ecx
1:
    testl %ecx, %ecx
    jle 2f
    decl %ecx
    pushl (%esi,%ecx,4)
    jmp 1b
2:
    call *8(%ebp)
    leal -8(%ebp), %esp
    popl %edi
    popl %esi
    popl %ebp
    ret
)");

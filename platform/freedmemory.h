#pragma once

// Memory a program frees stays with it unless the allocator gives it back.
// glibc's gives back the top of its heap past a threshold, and maps blocks
// above another size apart, to unmap them when they are freed; but it raises
// both once a block it mapped is freed: a file read whole or a decoder's
// buffer then makes every later large block come from the heap, which keeps
// it after it is freed. Keeps both at glibc's defaults for the life of the
// process; called first thing, before anything large is allocated. Elsewhere
// it does nothing.
void keepFreedMemoryReturnable();

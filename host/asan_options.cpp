// The host's heap refuses a block above 1 GiB, as the 32-bit program's refuses one near 2 GiB:
// the values layer's own heap-exhaustion path runs instead of the sanitizer's report.
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1:max_allocation_size_mb=1024";
}

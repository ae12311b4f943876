/* Our settings for Duktape, included at the override point of duk_config.h. */
#if !defined(QUORVIX_DUK_OVERRIDES_H)
#define QUORVIX_DUK_OVERRIDES_H

/* A fatal error outside any heap (heaps get their handler from duk_create_heap()). */
#undef DUK_USE_FATAL_HANDLER
#define DUK_USE_FATAL_HANDLER(udata, msg) quorvix_duk_fatal((udata), (msg))

/* Long-running script is stopped with a RangeError: the executor asks the heap's limits every
 * so many instructions whether the deadline has passed. */
#undef DUK_USE_INTERRUPT_COUNTER
#define DUK_USE_INTERRUPT_COUNTER
#undef DUK_USE_EXEC_TIMEOUT_CHECK
#define DUK_USE_EXEC_TIMEOUT_CHECK(udata) quorvix_duk_timed_out((udata))

#if defined(DUK_COMPILING_DUKTAPE)
void quorvix_duk_fatal(void *udata, const char *msg);
duk_bool_t quorvix_duk_timed_out(void *udata);
#endif

#endif

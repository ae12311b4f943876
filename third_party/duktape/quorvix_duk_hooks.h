/* The heap user data our Duktape heaps are created with: the time-out check asks it. */
#if !defined(QUORVIX_DUK_HOOKS_H)
#define QUORVIX_DUK_HOOKS_H

#if defined(__cplusplus)
extern "C" {
#endif

typedef struct QuorvixDukHooks {
  /* Returns non-zero when the running script has used up its time. */
  int (*timed_out)(void *context);
  void *context;
} QuorvixDukHooks;

/* Reports a fatal engine error on stderr and aborts: it must not return. */
void quorvix_duk_fatal(void *udata, const char *msg);

#if defined(__cplusplus)
}
#endif

#endif

/* The two hooks our duk_config.h points Duktape at. */
#include <stdio.h>
#include <stdlib.h>

#include "duktape.h"
#include "quorvix_duk_hooks.h"

void quorvix_duk_fatal(void *udata, const char *msg) {
  (void) udata;
  fprintf(stderr, "duktape fatal error: %s\n", msg ? msg : "(no message)");
  fflush(stderr);
  abort();
}

duk_bool_t quorvix_duk_timed_out(void *udata) {
  const QuorvixDukHooks *hooks = (const QuorvixDukHooks *) udata;
  return hooks != NULL && hooks->timed_out != NULL && hooks->timed_out(hooks->context) != 0;
}

// A core file that reaches the toolkit and the system headers: the layer check must refuse it.
#include <windows.h>

#include "search/bank_search.h"
#include "ui/control.h"

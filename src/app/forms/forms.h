// The program's six forms.
#pragma once
#include "app/forms/answer_form.h"
#include "app/forms/bank_chooser_form.h"
#include "app/forms/disclaimer_form.h"
#include "app/forms/import_form.h"
#include "app/forms/ocr_settings_form.h"
#include "app/forms/screenshot_form.h"

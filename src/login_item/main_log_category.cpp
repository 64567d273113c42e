#include "login_item/main_log_category.h"

namespace veloquill {

Q_LOGGING_CATEGORY(lcMain, VELOQUILL_APP_ID ".main")

} // namespace veloquill

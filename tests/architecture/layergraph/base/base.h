#pragma once
int base_value(void);

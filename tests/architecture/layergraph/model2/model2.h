#pragma once
int model2_value(void);

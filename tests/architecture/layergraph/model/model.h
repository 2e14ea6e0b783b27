#pragma once
int model_value(void);

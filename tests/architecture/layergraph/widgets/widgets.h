#pragma once
int widgets_value(void);

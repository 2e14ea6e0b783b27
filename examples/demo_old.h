/* Settings of the demo panel as an older release kept them: the header alone,
 * naming its panel. Load it (File, Load) to import it into a project. */
#ifndef DEMO_OLD_H
#define DEMO_OLD_H
#define ZELQuillmate_Version 1.0.0
#define Config_File demo.xml

#define DEMO_OSC_ENABLE (0x1) /*decimal 1*/
#define DEMO_PLL_ENABLE (0x1) /*decimal 1*/
#define DEMO_PLL_MULT (0x8) /*decimal 8*/
#define DEMO_OSC_TRIM (0x28) /*decimal 40*/
#define DEMO_SUPPLY (3.0)
#define DEMO_POWER_MODE (0x1) /*decimal 1*/
#define DEMO_UART_ENABLE (0x1) /*decimal 1*/
#define DEMO_UART_BAUD (0x4B00) /*decimal 19200*/
#define DEMO_LEVEL (0x10) /*decimal 16*/
#define DEMO_GAIN (0x5) /*decimal 5*/
#define DEMO_CHANNELS (0xF0F) /*decimal 3855*/
#define DEMO_BOARD_NAME bench_7
#define DEMO_NOTES Imported from an older header

#endif /* DEMO_OLD_H */

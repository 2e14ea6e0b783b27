/* Settings of the catalog board panel as an older release kept them, under
 * define names since renamed: demo_migration.txt maps them to today's. */
#ifndef BOARD_OLD_H
#define BOARD_OLD_H
#define ZELQuillmate_Version 1.0.0
#define Config_File catalog.xml
#define Config_File_Version 3

#define DEMO_CLK_MULT (0x8) /*decimal 8*/
#define DEMO_TRIM (0x28) /*decimal 40*/
#define DEMO_VDD (3.0)
#define DEMO_OLD_FEATURE 1
#define DEMO_BOARD_NAME bench_7

#endif /* BOARD_OLD_H */

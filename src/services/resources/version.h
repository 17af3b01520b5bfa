#pragma once
// The tool's version and descriptive texts: one place for the version resource and for the program.
// The resource compiler reads this file too, so it holds nothing but macros (the texts are UTF-8).
#define VOYANTA_VERSION_MAJOR 1
#define VOYANTA_VERSION_MINOR 0
#define VOYANTA_VERSION_PATCH 0
#define VOYANTA_VERSION_BUILD 0
#define VOYANTA_VERSION_TEXT "1.0.0.0"
#define VOYANTA_PRODUCT_NAME "Voyanta原图批量下载"
#define VOYANTA_COMPANY_NAME "Quellan"
#define VOYANTA_FILE_DESCRIPTION "Voyanta原图批量下载"

/* Writes a dBASE tag table with shapelib's DBF writer from tab-separated lines on standard
 * input: tag name, loop, PCU, module, block, description (one record per line).
 *
 *   write-tag-dbf OUT.dbf < records.tsv
 *
 * Built by scripts/make-tag-databases.sh; it stands apart from Brixtel's own code so that the
 * tables the benchmarks read come from an independent writer. */
#include <shapefil.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { TagName, Loop, Pcu, Module, Block, Description, FieldCount };

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: write-tag-dbf OUT.dbf < records.tsv\n");
        return 2;
    }
    DBFHandle dbf = DBFCreate(argv[1]);
    if (dbf == NULL) {
        fprintf(stderr, "write-tag-dbf: cannot create %s\n", argv[1]);
        return 1;
    }
    int ok = DBFAddField(dbf, "TAGNAME", FTString, 20, 0) == TagName &&
             DBFAddField(dbf, "LOOP", FTInteger, 3, 0) == Loop &&
             DBFAddField(dbf, "PCU", FTInteger, 3, 0) == Pcu &&
             DBFAddField(dbf, "MODULE", FTInteger, 2, 0) == Module &&
             DBFAddField(dbf, "BLOCK", FTInteger, 5, 0) == Block &&
             DBFAddField(dbf, "DESCRIPT", FTString, 40, 0) == Description;
    char line[512];
    int record = 0;
    while (ok && fgets(line, sizeof line, stdin) != NULL) {
        line[strcspn(line, "\r\n")] = '\0';
        char* field[FieldCount];
        char* rest = line;
        for (int f = 0; f < FieldCount; ++f) {
            field[f] = rest;
            char* tab = strchr(rest, '\t');
            if (tab != NULL) {
                *tab = '\0';
                rest = tab + 1;
            } else {
                rest += strlen(rest);
            }
        }
        ok = DBFWriteStringAttribute(dbf, record, TagName, field[TagName]) &&
             DBFWriteIntegerAttribute(dbf, record, Loop, atoi(field[Loop])) &&
             DBFWriteIntegerAttribute(dbf, record, Pcu, atoi(field[Pcu])) &&
             DBFWriteIntegerAttribute(dbf, record, Module, atoi(field[Module])) &&
             DBFWriteIntegerAttribute(dbf, record, Block, atoi(field[Block])) &&
             DBFWriteStringAttribute(dbf, record, Description, field[Description]);
        ++record;
    }
    DBFClose(dbf);
    if (!ok) {
        fprintf(stderr, "write-tag-dbf: writing record %d of %s failed\n", record, argv[1]);
        return 1;
    }
    return 0;
}

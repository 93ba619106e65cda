CREATE TABLE "Swim Table2" ("Meet code" TEXT NOT NULL, "Entrant Number" INTEGER NOT NULL, "Event number" TEXT NOT NULL, "Heat No" TEXT, "Lane No" INTEGER, UNIQUE ("Meet code", "Heat No", "Lane No") ON CONFLICT REPLACE);
DROP TABLE "Swim Table";
ALTER TABLE "Swim Table2" RENAME TO "Swim Table";

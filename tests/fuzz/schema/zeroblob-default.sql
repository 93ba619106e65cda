ALTER TABLE "Swim Table" ADD COLUMN "Padding" BLOB DEFAULT (zeroblob(9000000));

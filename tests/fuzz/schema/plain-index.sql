CREATE INDEX "By time" ON "Swim Table" ("Entry Time");
